#include "framework/file_dialog.h"

#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "platform/exten.h"

namespace framework {

namespace fs = std::filesystem;

namespace {

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool Enterable(const std::string& path) {
  return IsDirectory(path) && ::access(path.c_str(), R_OK | X_OK) == 0;
}

// Absolute, without "." and ".." and without a trailing "/" (the root keeps its own).
std::string Normalised(const std::string& path) {
  fs::path p(path);
  if (p.is_relative()) {
    std::error_code ec;
    p = fs::current_path(ec) / p;
  }
  std::string s = p.lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s.empty() ? "/" : s;
}

// Without regard to case, as file managers list names; names equal so compare as stored.
bool AsPeopleSort(const std::string& a, const std::string& b) {
  const auto lower = [](unsigned char c) { return static_cast<char>(std::tolower(c)); };
  const bool less =
      std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) {
        return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y));
      });
  if (less) return true;
  const bool greater =
      std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [&](char x, char y) {
        return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y));
      });
  return !greater && a < b;
}

std::string Trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

void AddSubdirectories(const std::string& root, std::vector<std::string>& out) {
  std::error_code ec;
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string p = it->path().string();
    if (Enterable(p)) out.push_back(p);
  }
}

std::string LastComponent(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

QString Local(const std::string& s) {
  return QString::fromLocal8Bit(s.c_str());
}
std::string Local(const QString& s) {
  return s.toLocal8Bit().toStdString();
}

}  // namespace

std::vector<std::string> FileSystemRoots() {
  std::vector<std::string> roots{"/"};
  if (const char* home = std::getenv("HOME"); home && *home && Enterable(home))
    roots.push_back(Normalised(home));
  std::vector<std::string> mounts;
  AddSubdirectories("/media", mounts);
  AddSubdirectories("/mnt", mounts);
  if (const char* user = std::getenv("USER"); user && *user)
    AddSubdirectories(std::string("/run/media/") + user, mounts);
  // /media/USER holds the user's own media one level down.
  if (const char* user = std::getenv("USER"); user && *user) {
    const std::string own = std::string("/media/") + user;
    if (std::find(mounts.begin(), mounts.end(), own) != mounts.end())
      AddSubdirectories(own, mounts);
  }
  std::sort(mounts.begin(), mounts.end());
  for (const std::string& m : mounts)
    if (std::find(roots.begin(), roots.end(), m) == roots.end()) roots.push_back(m);
  return roots;
}

bool MatchesPattern(const std::string& name, const std::string& patterns) {
  size_t i = 0;
  while (i <= patterns.size()) {
    const size_t semi = patterns.find(';', i);
    const size_t end = semi == std::string::npos ? patterns.size() : semi;
    const std::string p = Trimmed(patterns.substr(i, end - i));
    if (!p.empty() && ::fnmatch(p.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
    if (semi == std::string::npos) break;
    i = semi + 1;
  }
  return false;
}

// ---- TOpenSaveDialog -----------------------------------------------------------------------

TOpenSaveDialog::TOpenSaveDialog(QWidget* parent, TData& data, const std::string& templateName,
                                 const std::string& title, bool save)
    : TDialog(parent, templateName.empty() ? kStandardFileDialogTemplate : templateName),
      data_(data),
      save_(save) {
  if (!title.empty()) {
    setWindowTitle(Local(title));
  } else if (templateName.empty()) {
    setWindowTitle(save ? "Save As" : "Open");
  }
  DefineResponseTable({
      OnCommand(Notification(IDC_FILELIST, LBN_SELCHANGE), [this] { EvFileListSelChange(); }),
      OnCommand(Notification(IDC_FILELIST, LBN_DBLCLK),
                [this] { SendMessage(WM_COMMAND, IDOK, 0); }),
      OnCommand(Notification(IDC_DIRLIST, LBN_DBLCLK),
                [this] {
                  if (QListWidget* d = DirList()) ChangeDir(DirItemPath(d->currentRow()));
                }),
      // The directory list moves only when an item is opened.
      OnCommand(Notification(IDC_DIRLIST, LBN_SELCHANGE), [] {}),
  });
}

QLineEdit* TOpenSaveDialog::NameEdit() const {
  return Item<QLineEdit>(IDC_FILENAME);
}

void TOpenSaveDialog::SetupWindow() {
  TDialog::SetupWindow();
  if (QWidget* help = GetDlgItem(IDC_HELPBUTTON)) help->setVisible(data_.Flags & OFN_SHOWHELP);
  if (QWidget* ro = GetDlgItem(IDC_READONLY)) {
    ro->setVisible(!(data_.Flags & OFN_HIDEREADONLY));
    CheckDlgButton(IDC_READONLY, data_.Flags & OFN_READONLY);
  }
  if (QListWidget* files = FileList()) {
    files->setSelectionMode((data_.Flags & OFN_ALLOWMULTISELECT)
                                ? QAbstractItemView::ExtendedSelection
                                : QAbstractItemView::SingleSelection);
  }
  int index = data_.FilterIndex > 0 ? data_.FilterIndex - 1 : 0;
  if (index >= static_cast<int>(data_.Filters.size())) index = 0;
  pattern_ = data_.Filters.empty() ? "*" : data_.Filters[index].pattern;

  // A starting name with a directory starts there.
  std::string name = data_.FileName;
  std::string start = data_.InitialDir;
  if (const size_t cut = name.find_last_of('/'); cut != std::string::npos) {
    const std::string dir = name.substr(0, cut + 1);
    if (Enterable(Resolve(dir))) {
      start = dir;
      name = name.substr(cut + 1);
    }
  }
  roots_ = FileSystemRoots();
  FillFileTypes();
  if (auto* types = Item<QComboBox>(IDC_FILETYPES)) {
    types->setCurrentIndex(index);
    connect(types, &QComboBox::activated, this, [this](int i) { ChooseFileType(i); });
  }
  if (auto* drives = Item<QComboBox>(IDC_DRIVES)) {
    connect(drives, &QComboBox::activated, this, [this](int i) {
      if (i >= 0 && i < static_cast<int>(roots_.size())) ChangeDir(roots_[i]);
    });
  }
  if (start.empty() || !ChangeDir(start)) {
    std::error_code ec;
    const std::string cwd = fs::current_path(ec).string();
    if (ec || !ChangeDir(cwd)) ChangeDir("/");
  }
  if (QLineEdit* edit = NameEdit()) {
    edit->setText(Local(name.empty() ? pattern_ : name));
    edit->selectAll();
    edit->setFocus();
  }
}

bool TOpenSaveDialog::ChangeDir(const std::string& dir) {
  const std::string d = Normalised(Resolve(dir));
  if (!Enterable(d)) return false;
  dir_ = d;
  SetDlgItemText(IDC_CURRENTDIR, dir_);
  FillDirList();
  FillFileList();
  FillDrives();
  return true;
}

std::string TOpenSaveDialog::Resolve(const std::string& name) const {
  if (name.empty()) return dir_;
  if (name[0] == '/') return name;
  if (name[0] == '~' && (name.size() == 1 || name[1] == '/')) {
    if (const char* home = std::getenv("HOME")) return std::string(home) + name.substr(1);
  }
  if (dir_.empty()) return name;
  return dir_ == "/" ? "/" + name : dir_ + "/" + name;
}

void TOpenSaveDialog::FillFileList() {
  QListWidget* list = FileList();
  if (!list) return;
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code fe;
    if (!fs::is_regular_file(it->path(), fe)) continue;
    if (MatchesPattern(name, pattern_)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), AsPeopleSort);
  // What the dialog itself puts in its lists is not a selection the user made.
  const QSignalBlocker block(list);
  list->clear();
  TListBox box(list);
  for (const std::string& n : names) box.AddString(n);
  list->setCurrentRow(-1);
}

void TOpenSaveDialog::FillDirList() {
  QListWidget* list = DirList();
  if (!list) return;
  const QSignalBlocker block(list);
  list->clear();
  TListBox box(list);
  box.AddString("/");
  std::vector<std::string> parts;
  for (size_t i = 1; i < dir_.size();) {
    const size_t slash = dir_.find('/', i);
    const size_t end = slash == std::string::npos ? dir_.size() : slash;
    if (end > i) parts.push_back(dir_.substr(i, end - i));
    i = end + 1;
  }
  for (const std::string& p : parts) box.AddString(p);
  const int current = box.GetCount() - 1;
  std::vector<std::string> subs;
  AddSubdirectories(dir_, subs);
  std::vector<std::string> names;
  for (const std::string& s : subs) {
    const std::string n = LastComponent(s);
    if (!n.empty() && n[0] != '.') names.push_back(n);
  }
  std::sort(names.begin(), names.end(), AsPeopleSort);
  for (const std::string& n : names) box.AddString(n);
  // Open folders down to the current directory, closed ones below it.
  for (int i = 0; i < box.GetCount(); ++i)
    list->item(i)->setIcon(
        style()->standardIcon(i <= current ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
  box.SetSelIndex(current);
}

std::string TOpenSaveDialog::DirItemPath(int index) const {
  QListWidget* list = DirList();
  if (!list || index < 0 || index >= list->count()) return dir_;
  TListBox box(list);
  // The items up to the current directory are its path; the ones after it its subdirectories.
  int current = 0;
  for (size_t i = 1; i < dir_.size(); ++i)
    if (dir_[i - 1] == '/' && dir_[i] != '/') ++current;
  if (index > current) return Resolve(box.GetString(index));
  std::string path = "/";
  for (int i = 1; i <= index; ++i) path += box.GetString(i) + (i < index ? "/" : "");
  return path;
}

void TOpenSaveDialog::FillFileTypes() {
  auto* types = Item<QComboBox>(IDC_FILETYPES);
  if (!types) return;
  const QSignalBlocker block(types);
  types->clear();
  for (const TFileFilter& f : data_.Filters) types->addItem(Local(f.description));
}

void TOpenSaveDialog::FillDrives() {
  auto* drives = Item<QComboBox>(IDC_DRIVES);
  if (!drives) return;
  const QSignalBlocker block(drives);
  if (drives->count() != static_cast<int>(roots_.size())) {
    drives->clear();
    for (const std::string& r : roots_) drives->addItem(Local(r));
  }
  // The place the current directory lies in: the longest root that holds it.
  int best = 0;
  size_t bestLength = 0;
  for (size_t i = 0; i < roots_.size(); ++i) {
    const std::string& r = roots_[i];
    const bool holds = r == "/" || dir_ == r || dir_.rfind(r + "/", 0) == 0;
    if (holds && r.size() >= bestLength) {
      best = static_cast<int>(i);
      bestLength = r.size();
    }
  }
  drives->setCurrentIndex(best);
}

void TOpenSaveDialog::ChooseFileType(int index) {
  if (index < 0 || index >= static_cast<int>(data_.Filters.size())) return;
  data_.FilterIndex = index + 1;
  pattern_ = data_.Filters[index].pattern;
  if (QLineEdit* edit = NameEdit()) edit->setText(Local(pattern_));
  FillFileList();
}

void TOpenSaveDialog::EvFileListSelChange() {
  QListWidget* list = FileList();
  QLineEdit* edit = NameEdit();
  if (!list || !edit) return;
  TListBox box(list);
  std::string names;
  const std::vector<int> selected = box.GetSelIndexes();
  for (int i : selected)
    names += (names.empty() ? "" : " ") +
             (selected.size() > 1 ? ListedName(box.GetString(i)) : box.GetString(i));
  if (!names.empty()) edit->setText(Local(names));
}

std::string TOpenSaveDialog::WithDefaultExtension(const std::string& path) const {
  const std::string ext = data_.DefExt;
  if (ext.empty() || ext.find_first_of("*?") != std::string::npos) return path;
  const std::string last = LastComponent(path);
  if (last.find('.', 1) != std::string::npos) return path;
  // An open dialog takes a file that exists as typed before adding anything.
  if (!save_ && Exists(path) && !IsDirectory(path)) return path;
  const std::string full = path + "." + ext;
  if (Exists(full)) return full;
  // The extension stands for any case of it, as it does where names ignore case.
  const size_t cut = full.find_last_of('/');
  const std::string dir = cut == std::string::npos ? "." : full.substr(0, cut == 0 ? 1 : cut);
  const QString wanted = Local(LastComponent(full));
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (Local(name).compare(wanted, Qt::CaseInsensitive) == 0 &&
        name.compare(0, last.size(), last) == 0)
      return full.substr(0, cut + 1) + name;
  }
  return full;
}

bool TOpenSaveDialog::Ask(const std::string& text) {
  const std::string caption = Local(windowTitle());
  return platform::ShowErrorBox(this, text.c_str(), caption.c_str(), platform::MB_YESNO) ==
         platform::IDYES;
}

void TOpenSaveDialog::Tell(const std::string& text) {
  const std::string caption = Local(windowTitle());
  platform::ShowErrorBox(this, text.c_str(), caption.c_str(), platform::MB_OK);
}

bool TOpenSaveDialog::Acceptable(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  const std::string dir = cut == std::string::npos || cut == 0 ? "/" : path.substr(0, cut);
  if (!IsDirectory(dir)) {
    Tell(path + "\nPath does not exist.\nPlease verify the correct path was given.");
    return false;
  }
  const bool exists = Exists(path);
  if ((data_.Flags & OFN_FILEMUSTEXIST) && !exists) {
    Tell(path + "\nFile not found.\nPlease verify the correct filename was given.");
    return false;
  }
  if ((data_.Flags & OFN_OVERWRITEPROMPT) && exists &&
      !Ask(path + " already exists.\nDo you want to replace it?"))
    return false;
  if ((data_.Flags & OFN_CREATEPROMPT) && !exists &&
      !Ask(path + "\nThis file does not exist.\nDo you want to create it?"))
    return false;
  return true;
}

void TOpenSaveDialog::CmOk() {
  accepted_ = false;
  QLineEdit* edit = NameEdit();
  // OK on a directory item other than the current one opens it.
  if (QListWidget* dirs = DirList(); dirs && focusWidget() == dirs) {
    const std::string target = DirItemPath(dirs->currentRow());
    if (target != dir_) {
      ChangeDir(target);
      return;
    }
  }
  const std::string text = Trimmed(edit ? Local(edit->text()) : data_.FileName);
  if (text.empty()) return;
  // A pattern lists the files it matches.
  if (text.find_first_of("*?") != std::string::npos) {
    pattern_ = text;
    FillFileList();
    return;
  }
  if (IsDirectory(Resolve(text))) {
    ChangeDir(text);
    if (edit) edit->setText(Local(pattern_));
    return;
  }
  std::vector<std::string> names;
  const bool multi = (data_.Flags & OFN_ALLOWMULTISELECT) && text.find(' ') != std::string::npos &&
                     !Exists(Resolve(text));
  if (multi) {
    names = SplitNames(text);
  } else {
    names.push_back(text);
  }
  std::string result;
  if (names.size() == 1) {
    const std::string path = WithDefaultExtension(Normalised(Resolve(names[0])));
    if (!Acceptable(path)) return;
    result = path;
  } else {
    result = dir_;
    // The names stay relative to the directory; only an extension is added.
    for (const std::string& n : names) {
      const std::string full = WithDefaultExtension(Resolve(n));
      if (!Acceptable(full)) return;
      result += " " + ListedName(n + full.substr(Resolve(n).size()));
    }
  }
  if (static_cast<int>(result.size()) + 1 > data_.MaxPath) {
    Tell("Too many files selected.\nPlease select fewer files.");
    return;
  }
  data_.FileName = result;
  if (QWidget* ro = GetDlgItem(IDC_READONLY); ro && ro->isVisible()) {
    if (IsDlgButtonChecked(IDC_READONLY))
      data_.Flags |= OFN_READONLY;
    else
      data_.Flags &= ~OFN_READONLY;
  }
  accepted_ = true;
  CloseWindow(IDOK);
}

// ---- TFileOpenDialog, TFileSaveDialog ------------------------------------------------------

TFileOpenDialog::TFileOpenDialog(QWidget* parent, TData& data, const std::string& templateName,
                                 const std::string& title)
    : TOpenSaveDialog(parent, data, templateName, title, false) {}

TFileSaveDialog::TFileSaveDialog(QWidget* parent, TData& data, const std::string& templateName,
                                 const std::string& title)
    : TOpenSaveDialog(parent, data, templateName, title, true) {}

std::vector<std::string> SplitNames(const std::string& list) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < list.size()) {
    if (list[i] == ' ') {
      ++i;
      continue;
    }
    if (list[i] == '"') {
      const size_t close = list.find('"', i + 1);
      const size_t end = close == std::string::npos ? list.size() : close;
      if (end > i + 1) out.push_back(list.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    const size_t b = list.find(' ', i);
    const size_t end = b == std::string::npos ? list.size() : b;
    out.push_back(list.substr(i, end - i));
    i = end;
  }
  return out;
}

std::string ListedName(const std::string& name) {
  return name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
}

}  // namespace framework
