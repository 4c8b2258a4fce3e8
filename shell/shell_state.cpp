#include "shell/shell_state.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "framework/gadgets.h"
#include "output/name_codec.h"
#include "platform/profile.h"
#include "render/acacol.h"

namespace lanterna {

ShellState& Shell() {
  static ShellState state;
  return state;
}

void ResetShellState() {
  Shell() = ShellState();
  SetBlackBackground(false);
}

void ReadSettings() {
  ShellState& s = Shell();
  using platform::GetPrivateProfileInt;
  s.XPos = GetPrivateProfileInt(kIniSection, "XPos", 1, kIniFile);
  s.YPos = GetPrivateProfileInt(kIniSection, "YPos", 1, kIniFile);
  s.WPos = GetPrivateProfileInt(kIniSection, "WPos", 400, kIniFile);
  s.HPos = GetPrivateProfileInt(kIniSection, "HPos", 300, kIniFile);
  // A first start (no size stored) lets the frame choose its size from the desktop.
  char size[32] = "";
  s.SizeStored =
      platform::GetPrivateProfileString(kIniSection, "WPos", "", size, sizeof size, kIniFile) &&
      platform::GetPrivateProfileString(kIniSection, "HPos", "", size, sizeof size, kIniFile);
  char dir[260];
  platform::GetPrivateProfileString(kIniSection, "LastDir", s.LastDir.c_str(), dir, sizeof dir,
                                    kIniFile);
  s.LastDir = dir;
  s.AutoClose = GetPrivateProfileInt(kIniSection, "AutoClose", 1, kIniFile);
  s.ShowDelay = GetPrivateProfileInt(kIniSection, "ShowDelay", s.ShowDelay, kIniFile);
  s.MaxAutoIconize = GetPrivateProfileInt(kIniSection, "MaxAutoIconize", 20, kIniFile);
  s.RecentFiles.clear();
  for (size_t i = 1; i <= kMaxRecentFiles; ++i) {
    char recent[1024] = "";
    const std::string key = "Recent" + std::to_string(i);
    platform::GetPrivateProfileString(kIniSection, key.c_str(), "", recent, sizeof recent,
                                      kIniFile);
    if (recent[0]) s.RecentFiles.push_back(recent);
  }
  char codePage[64] = "";
  platform::GetPrivateProfileString(kIniSection, "MemberNames", "", codePage, sizeof codePage,
                                    kIniFile);
  s.NameCodePage = KnownCodePage(codePage) ? codePage : "";
  s.LibraryView = GetPrivateProfileInt(kIniSection, "LibraryView", 1, kIniFile) != 0 ? 1 : 0;
  s.BlackBackground = GetPrivateProfileInt(kIniSection, "BlackBackground", 0, kIniFile) != 0;
  SetBlackBackground(s.BlackBackground);
}

void NoteRecentFile(const std::string& path) {
  std::vector<std::string>& list = Shell().RecentFiles;
  list.erase(std::remove(list.begin(), list.end(), path), list.end());
  list.insert(list.begin(), path);
  if (list.size() > kMaxRecentFiles) list.resize(kMaxRecentFiles);
}

void WriteSettings() {
  ShellState& s = Shell();
  auto put = [](const char* key, const std::string& value) {
    // Failures are not reported: an unwritable file just keeps its old contents.
    platform::WritePrivateProfileString(kIniSection, key, value.c_str(), kIniFile);
  };
  put("Ver", "2.1");
  put("XPos", std::to_string(s.XPos));
  put("YPos", std::to_string(s.YPos));
  put("WPos", std::to_string(s.WPos));
  put("HPos", std::to_string(s.HPos));
  put("LastDir", s.LastDir);
  put("AutoClose", std::to_string(s.AutoClose));
  put("ShowDelay", std::to_string(s.ShowDelay));
  put("MaxAutoIconize", std::to_string(s.MaxAutoIconize));
  // The recent files come after the keys older versions know.
  // (the list never shrinks, so no key is left over from a longer one).
  for (size_t i = 0; i < s.RecentFiles.size() && i < kMaxRecentFiles; ++i)
    put(("Recent" + std::to_string(i + 1)).c_str(), s.RecentFiles[i]);
  put("MemberNames", s.NameCodePage);
  put("LibraryView", std::to_string(s.LibraryView));
  put("BlackBackground", s.BlackBackground ? "1" : "0");
}

std::string ShownMemberName(const std::string& stored) {
  return DecodeName(stored, Shell().NameCodePage);
}

int64_t TickCount() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SetStatusText(const std::string& text) {
  if (Shell().StatusBar) Shell().StatusBar->SetText(text);
}

}  // namespace lanterna
