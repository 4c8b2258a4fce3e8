#include "dialogs/open_selection.h"

#include <sys/stat.h>

#include <QListWidget>
#include <new>
#include <string_view>

#include "framework/dialog.h"
#include "framework/file_dialog.h"
#include "platform/exten.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "shell/shell_state.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

constexpr int kInfoKind = 0x40;

bool Holds(std::string_view text, const char* kind) {
  return UpperCased(std::string(text)).find(kind) != std::string::npos;
}

std::string WithoutLastComponent(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  if (cut == std::string::npos) return "";
  return cut == 0 ? "/" : path.substr(0, cut);
}

std::string LastComponent(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The names of a blank-separated list (names with blanks quoted); doubled or trailing blanks
// give no empty names.
std::vector<std::string> Names(std::string_view rest) {
  return framework::SplitNames(std::string(rest));
}

class Opener {
 public:
  Opener(int mode, QListWidget* list) : mode_(mode), list_(list) {}

  // One slide window, or one list entry; the message window shows the name when asked.
  void Add(const std::string& title, const std::string& file, const std::string& member,
           const std::string& entry, bool announce) {
    const std::string shown = member.empty() ? title : ShownMemberName(title);
    if (announce) platform::ShowMex(nullptr, shown.c_str(), kFrameTitle, kInfoKind, 0);
    if (mode_ == kListSlides) {
      const std::string shownEntry =
          member.empty() ? entry
                         : entry.substr(0, entry.size() - member.size()) + ShownMemberName(member);
      framework::TListBox(list_).AddString(shownEntry, entry);
      return;
    }
    TMyWindow* client = Shell().Client;
    if (!client) return;
    last_ = new TMyChild(client, title, file, member);
    last_->Create();
    if (!last_->Refused()) NoteRecentFile(file);
  }
  // After the last one: the message window goes and the newest window comes to the top.
  void Finish() {
    if (mode_ != kOpenSlides) return;
    platform::ShowMex(nullptr, nullptr, nullptr, 0, 0);
    if (last_) last_->raise();
  }

 private:
  int mode_;
  QListWidget* list_;
  TMyChild* last_ = nullptr;
};

void OpenMembers(std::string_view r, Opener& opener) {
  const size_t comma = r.find(',');
  const std::string library(r.substr(0, comma));
  // The member part starts after the comma and the blank that follows it.
  std::string_view rest = r.substr(comma + 1);
  if (!rest.empty()) rest.remove_prefix(1);
  const std::vector<std::string> names = Names(rest);
  for (size_t i = 0; i < names.size(); ++i) {
    const bool last = i + 1 == names.size();
    opener.Add(names[i], library, names[i], library + "," + names[i], !last);
  }
  // No member chosen (or none in the library): nothing opens and LastDir stays.
  if (names.empty()) return;
  opener.Finish();
  Shell().LastDir = WithoutLastComponent(library);
}

void OpenFiles(const std::string& r, Opener& opener) {
  std::string lastFull;
  // A path that names a file stands for itself, blanks and all.
  if (r.find(' ') != std::string::npos && !IsFile(r)) {
    // The directory is the longest part before a blank that is one (a directory may hold
    // blanks itself); without one, the part before the first blank.
    size_t cut = r.find(' ');
    for (size_t b = r.rfind(' '); b != std::string::npos && b > cut; b = r.rfind(' ', b - 1)) {
      if (IsDirectory(r.substr(0, b))) {
        cut = b;
        break;
      }
    }
    const std::string directory = r.substr(0, cut);
    const std::vector<std::string> names = Names(std::string_view(r).substr(cut + 1));
    for (size_t i = 0; i < names.size(); ++i) {
      const bool last = i + 1 == names.size();
      const std::string full =
          directory + (!directory.empty() && directory.back() == '/' ? "" : "/") + names[i];
      opener.Add(names[i], full, "", full, !last);
      lastFull = full;
    }
    if (!names.empty()) opener.Finish();
  } else {
    const std::string full = r;
    // A single file shows no message window.
    opener.Add(LastComponent(full), full, "", full, false);
    opener.Finish();
    lastFull = full;
  }
  if (!lastFull.empty()) Shell().LastDir = WithoutLastComponent(lastFull);
}

}  // namespace

void OpenSelection(const std::string& result, int mode, QListWidget* list) {
  char* work = new (std::nothrow) char[result.size() + 1];
  if (!work) {
    platform::ShowErrorBox(nullptr, "No Heap Space", "Error", platform::MB_OK);
    return;
  }
  result.copy(work, result.size());
  work[result.size()] = '\0';
  const std::string r(work, result.size());
  ShellState& s = Shell();
  s.PaintEnabled = false;
  Opener opener(mode, list);
  if (Holds(r, ".SLB") && r.find(',') != std::string::npos) OpenMembers(r, opener);
  if (Holds(r, ".SLD") || Holds(r, ".RND")) OpenFiles(r, opener);
  if (s.Client) {
    s.Client->RepaintAll();
  } else {
    s.PaintEnabled = true;
  }
  platform::ShowMex(nullptr, nullptr, nullptr, 0, 0);
  delete[] work;
}

}  // namespace lanterna
