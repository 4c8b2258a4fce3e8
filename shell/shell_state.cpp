#include "shell/shell_state.h"

#include <chrono>
#include <string>

#include "framework/gadgets.h"
#include "platform/profile.h"

namespace lanterna {

ShellState& Shell() {
  static ShellState state;
  return state;
}

void ResetShellState() {
  Shell() = ShellState();
}

void ReadSettings() {
  ShellState& s = Shell();
  using platform::GetPrivateProfileInt;
  s.XPos = GetPrivateProfileInt(kIniSection, "XPos", 1, kIniFile);
  s.YPos = GetPrivateProfileInt(kIniSection, "YPos", 1, kIniFile);
  s.WPos = GetPrivateProfileInt(kIniSection, "WPos", 400, kIniFile);
  s.HPos = GetPrivateProfileInt(kIniSection, "HPos", 300, kIniFile);
  char dir[260];
  platform::GetPrivateProfileString(kIniSection, "LastDir", s.LastDir.c_str(), dir, sizeof dir,
                                    kIniFile);
  s.LastDir = dir;
  s.AutoClose = GetPrivateProfileInt(kIniSection, "AutoClose", 1, kIniFile);
  s.ShowDelay = GetPrivateProfileInt(kIniSection, "ShowDelay", s.ShowDelay, kIniFile);
  s.MaxAutoIconize = GetPrivateProfileInt(kIniSection, "MaxAutoIconize", 20, kIniFile);
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
}

int64_t TickCount() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SetStatusText(const std::string& text) {
  if (Shell().StatusBar) Shell().StatusBar->SetText(text);
}

}  // namespace lanterna
