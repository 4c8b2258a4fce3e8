#include "dialogs/slide_dialog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QLineEdit>
#include <QSignalBlocker>
#include <cstdio>
#include <cstring>

#include "dialogs/generic_input.h"
#include "dialogs/miniature.h"
#include "dialogs/open_selection.h"
#include "platform/exten.h"
#include "resources/dialog_templates.h"
#include "resources/resources.h"
#include "shell/frame.h"
#include "shell/shell_state.h"
#include "slide/library.h"
#include "slide/loader.h"
#include "slide/report.h"
#include "slide/slide_kind.h"

namespace lanterna {

using framework::TListBox;

namespace {

constexpr int kAllButton = 102;
constexpr int kDeleteButton = 103;
constexpr int kInfoButton = 105;
constexpr int kRenameButton = 106;
constexpr int kMemberSizeLabel = 109;
constexpr int kFileSizeLabel = 110;
constexpr int kRenameRoom = 260;
constexpr int kResultMargin = 50;  // room kept free in the result for one more member

bool Holds(const std::string& path, const char* kind) {
  return UpperCased(path).find(kind) != std::string::npos;
}

std::string WithoutLastComponent(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  if (cut == std::string::npos) return "";
  return cut == 0 ? "/" : path.substr(0, cut);
}

std::string Lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A file name's parts: its directory (with the last "/"), its name and its extension (from
// the last "." of the name on).
struct SplitPath {
  std::string dir, name, ext;
};
SplitPath Split(const std::string& path) {
  SplitPath p;
  const size_t slash = path.find_last_of('/');
  p.dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = last.find_last_of('.');
  p.name = dot == std::string::npos ? last : last.substr(0, dot);
  p.ext = dot == std::string::npos ? "" : last.substr(dot);
  return p;
}

}  // namespace

TSlideDialog::TSlideDialog(QWidget* parent, TData& data, const std::string& templateName,
                           int openMode)
    : TFileOpenDialog(parent, data, templateName), openMode_(openMode) {
  DefineResponseTable({
      OnCommand(framework::Notification(memberListId_, framework::LBN_SELCHANGE),
                [this] { MemberFocusChange(); }),
      OnCommand(framework::Notification(memberListId_, framework::LBN_DBLCLK),
                [this] { OpenOneMember(); }),
      OnCommand(kAllButton, [this] { CmAll(); }),
      OnCommand(kDeleteButton, [this] { CmDelete(); }),
      OnCommand(kRenameButton, [this] { CmRename(); }),
      OnCommand(kInfoButton, [this] { CmInformation(); }),
      OnMessage(framework::WM_DRAWITEM,
                [this](uintptr_t wParam, intptr_t) {
                  DrawMiniature(static_cast<int>(wParam));
                  return 1;
                }),
  });
}

QWidget* TSlideDialog::MakeControl(const framework::TDialogControl& c) {
  if (c.id != miniatureId_) return nullptr;
  miniature_ = new TMiniature(this, c.id);
  return miniature_;
}

void TSlideDialog::SetupWindow() {
  TFileOpenDialog::SetupWindow();
  setCursor(res::LoadCursor("CUR_MANO"));
  if (!miniature_) miniature_ = dynamic_cast<TMiniature*>(GetDlgItem(miniatureId_));
  if (openMode_ == 1) {
    if (QWidget* all = GetDlgItem(kAllButton)) all->hide();
    if (QWidget* del = GetDlgItem(kDeleteButton)) del->hide();
  }
}

std::string TSlideDialog::FocusedFilePath() const {
  TListBox dirs(DirList());
  TListBox files(FileList());
  const int n = dirs.GetSelIndex();
  std::string path = dirs.GetString(0);
  for (int i = 1; i <= n; ++i) path += dirs.GetString(i) + "/";
  return path + files.GetString(files.GetCaretIndex());
}

bool TSlideDialog::FocusedLibrary() const {
  return Holds(currentPath_, ".SLB");
}

void TSlideDialog::EvFileListSelChange() {
  TFileOpenDialog::EvFileListSelChange();
  currentPath_ = FocusedFilePath();
  struct stat st;
  SetDlgItemText(kFileSizeLabel, ::stat(currentPath_.c_str(), &st) == 0
                                     ? "Size " + std::to_string(st.st_size)
                                     : std::string("Size ?"));
  QListWidget* members = MemberList();
  TListBox list(members);
  if (!FocusedLibrary()) {
    if (QWidget* all = GetDlgItem(kAllButton)) all->hide();
    list.ClearList();
    SetDlgItemText(kMemberSizeLabel, "-");
  } else if (currentPath_ != previousPath_) {
    if (QWidget* all = GetDlgItem(kAllButton); all && openMode_ == 0) {
      all->show();
      all->repaint();
    }
    {
      const QSignalBlocker block(members);
      list.ClearList();
      char name[64];
      while (MemberIterator(currentPath_.c_str(), name) == 1)
        list.AddString(ShownMemberName(name), name);
      if (members && list.GetCount() > 0) {
        members->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        list.SetSel(0, true);
      }
    }
    if (members) members->repaint();
    MemberFocusChange();
  }
  if (Holds(currentPath_, ".SLD") || Holds(currentPath_, ".RND")) {
    currentMember_[0] = '\0';
    list.ClearList();
    if (members) members->repaint();
    if (miniature_) miniature_->RedrawNow();
  }
  previousPath_ = currentPath_;
}

void TSlideDialog::MemberFocusChange() {
  TListBox list(MemberList());
  const std::string member = list.GetString(list.GetCaretIndex());
  std::snprintf(currentMember_, sizeof currentMember_, "%s", member.c_str());
  if (!currentMember_[0]) {
    // An empty library: nothing to measure or show.
    SetDlgItemText(kMemberSizeLabel, "-");
    if (miniature_) miniature_->RedrawNow();
    return;
  }
  SlideInfo info;
  // The miniature stands in for the dialog as the loader's window: a rendering slide is drawn
  // before the call returns, and the dialog has no surface of its own.
  platform::HWND owner = miniature_ ? static_cast<platform::HWND>(miniature_) : this;
  const int32_t size =
      ShowIcon(owner, currentPath_.c_str(), currentMember_, SI_DIRECT | SI_HEADER_ONLY, nullptr,
               nullptr, nullptr, nullptr, nullptr, nullptr, &info);
  SetDlgItemText(kMemberSizeLabel, size >= 0 ? "size " + std::to_string(size) : "size ?");
  if (miniature_) miniature_->RedrawNow();
}

void TSlideDialog::DrawMiniature(int id) {
  if (id != miniatureId_ || !miniature_ || currentPath_.empty()) return;
  // A library shows a member or nothing.
  if (FocusedLibrary() && !currentMember_[0]) return;
  ShowIcon(miniature_, currentPath_.c_str(), currentMember_, SI_DIRECT, nullptr, nullptr, nullptr,
           nullptr, nullptr, nullptr, nullptr);
}

void TSlideDialog::OpenOneMember() {
  GetData().FileName = currentPath_ + ", " + currentMember_;
  CloseWindow(framework::IDOK);
}

void TSlideDialog::CmOk() {
  TFileOpenDialog::CmOk();
  if (!Accepted() || !FocusedLibrary()) return;
  // A focused library wins over the other files: its chosen members are the result.
  std::string& result = GetData().FileName;
  result = currentPath_ + ",";
  TListBox list(MemberList());
  const size_t limit = static_cast<size_t>(std::max(0, GetData().MaxPath - kResultMargin));
  for (int i : list.GetSelIndexes()) {
    result += " " + list.GetString(i);
    if (result.size() > limit) {
      platform::MessageBeep(static_cast<unsigned>(-1));
      platform::ShowErrorBox(this, "Too many files!", "Warning", platform::MB_OK);
      break;
    }
  }
}

void TSlideDialog::CmAll() {
  if (!FocusedLibrary()) return;
  ShellState& s = Shell();
  if (!s.Frame) return;
  s.PendingName = currentPath_;
  s.Frame->PostMessage(WM_OPENBYNAME, 1, reinterpret_cast<intptr_t>(s.PendingName.c_str()));
  s.LastDir = WithoutLastComponent(currentPath_);
  CloseWindow(framework::IDCANCEL);
}

void TSlideDialog::CmDelete() {
  const std::string path = FocusedFilePath();
  if (platform::ShowErrorBox(this, path.c_str(), res::LoadString(res::IDS_DELETEFILE).c_str(),
                             platform::MB_YESNO | platform::MB_DEFBUTTON2) != platform::IDYES)
    return;
  if (::unlink(path.c_str()) != 0) {
    const std::string text = "Cannot delete " + path;
    platform::ShowErrorBox(this, text.c_str(), "Error", platform::MB_OK);
    return;
  }
  QListWidget* files = FileList();
  TListBox list(files);
  const int i = list.GetCaretIndex();
  {
    const QSignalBlocker block(files);
    list.DeleteString(i);
    if (files && i < files->count()) files->setCurrentRow(i);
  }
  if (QLineEdit* edit = NameEdit()) edit->clear();
  // The labels, the member list and the miniature show the file now focused, or nothing.
  if (files && i < files->count()) {
    EvFileListSelChange();
    if (QLineEdit* edit = NameEdit()) edit->clear();
    return;
  }
  currentPath_.clear();
  previousPath_.clear();
  currentMember_[0] = '\0';
  SetDlgItemText(kFileSizeLabel, "Size ");
  SetDlgItemText(kMemberSizeLabel, "-");
  TListBox(MemberList()).ClearList();
  if (QWidget* all = GetDlgItem(kAllButton)) all->hide();
  if (miniature_) miniature_->RedrawNow();
}

void TSlideDialog::CmRename() {
  const std::string path = FocusedFilePath();
  const SplitPath old = Split(path);
  char text[kRenameRoom] = {};
  std::snprintf(text, sizeof text, "%s", old.name.c_str());
  TGenericInput input(this, res::kGenericInputDialog, "Rename", text, kRenameRoom - 1);
  if (input.Execute() != framework::IDOK) return;
  const std::string name = Split(text).name;
  const std::string newName = Lowered(name + old.ext);
  const std::string target = old.dir + newName;
  struct stat st;
  // No name, or one taken by another file (which rename would replace): nothing changes.
  const bool taken = ::stat(target.c_str(), &st) == 0 && target != path;
  if (name.empty() || taken || std::rename(path.c_str(), target.c_str()) != 0) {
    platform::MessageBeep(1);
    return;
  }
  TListBox list(FileList());
  list.DeleteString(list.GetCaretIndex());
  list.AddString(newName);
  if (QLineEdit* edit = NameEdit()) edit->setText(QString::fromLocal8Bit(newName.c_str()));
  list.SelectString(newName);
}

void TSlideDialog::CmInformation() {
  SlideReport(this, currentPath_.c_str(), currentMember_, nullptr);
}

framework::TOpenSaveDialog::TData SlideOpenData() {
  framework::TOpenSaveDialog::TData data;
  data.Flags =
      framework::OFN_FILEMUSTEXIST | framework::OFN_HIDEREADONLY | framework::OFN_ALLOWMULTISELECT;
  data.Filters = {{"Slide & Library (.sld .slb .rnd)", "*.sld;*.slb;*.rnd"},
                  {"Slide (*.sld)", "*.sld"},
                  {"Library (*.slb)", "*.slb"},
                  {"Render (*.rnd)", "*.rnd"}};
  data.FilterIndex = 0;
  data.InitialDir = Shell().LastDir;
  // No folder used yet: the one of the file the viewer was started with.
  if (data.InitialDir.empty()) {
    std::string started = Shell().CommandLine;
    if (started.size() >= 2 && started.front() == '"' && started.back() == '"')
      started = started.substr(1, started.size() - 2);
    if (started.find('/') != std::string::npos) data.InitialDir = WithoutLastComponent(started);
  }
  data.DefExt = "*";
  data.MaxPath = 2600;
  return data;
}

void CmFileOpen(QWidget* parent) {
  ShellState& s = Shell();
  // A bare drive gets its separator.
  if (s.LastDir.size() == 2) s.LastDir += "/";
  framework::TOpenSaveDialog::TData data = SlideOpenData();
  data.FilterIndex = 1;
  TSlideDialog dialog(parent, data, kOpenDialogTemplate, 0);
  if (dialog.Execute() == framework::IDOK) OpenSelection(std::string(data.FileName), 1, nullptr);
}

}  // namespace lanterna
