// File dialogs: TFileOpenDialog and TFileSaveDialog, built from a template like any TDialog,
// with the standard controls (name edit, file list, directory list, file types, drives) and a
// transfer record TData that holds the flags, the filters and, after OK, the chosen names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/dialog.h"

class QComboBox;
class QLineEdit;

namespace framework {

constexpr uint32_t OFN_READONLY = 0x00000001;
constexpr uint32_t OFN_OVERWRITEPROMPT = 0x00000002;
constexpr uint32_t OFN_HIDEREADONLY = 0x00000004;
constexpr uint32_t OFN_NOCHANGEDIR = 0x00000008;
constexpr uint32_t OFN_SHOWHELP = 0x00000010;
constexpr uint32_t OFN_ALLOWMULTISELECT = 0x00000200;
constexpr uint32_t OFN_PATHMUSTEXIST = 0x00000800;
constexpr uint32_t OFN_FILEMUSTEXIST = 0x00001000;
constexpr uint32_t OFN_CREATEPROMPT = 0x00002000;

// The standard controls a file dialog template holds.
constexpr int IDC_FILENAME_LABEL = 1090;
constexpr int IDC_FILENAME = 1152;
constexpr int IDC_FILELIST = 1120;
constexpr int IDC_CURRENTDIR = 1088;
constexpr int IDC_DIRLIST = 1121;
constexpr int IDC_FILETYPES_LABEL = 1089;
constexpr int IDC_FILETYPES = 1136;
constexpr int IDC_DRIVES_LABEL = 1091;
constexpr int IDC_DRIVES = 1137;
constexpr int IDC_HELPBUTTON = 1038;
constexpr int IDC_READONLY = 1040;

// The template a file dialog is built from when the caller gives none.
constexpr const char* kStandardFileDialogTemplate = "DLG_FILESTANDARD";

struct TFileFilter {
  std::string description;
  std::string pattern;  // "*.sld;*.slb"
};

// The places the drives list offers: the root, the home directory and the mounted media the
// user can enter.
std::vector<std::string> FileSystemRoots();

// Whether a file name matches a pattern list such as "*.sld;*.slb" (case-insensitive).
bool MatchesPattern(const std::string& name, const std::string& patterns);

// A list of several file names: separated by blanks, a name with blanks in double quotes.
std::vector<std::string> SplitNames(const std::string& list);
// A name as it goes into such a list.
std::string ListedName(const std::string& name);

class TOpenSaveDialog : public TDialog {
 public:
  struct TData {
    uint32_t Flags = 0;
    // In: a name to start with (empty: the current pattern is shown). Out, after OK: one
    // full path, or with OFN_ALLOWMULTISELECT the directory and the names, blank-separated.
    std::string FileName;
    int MaxPath = 260;  // room for the result, terminator included
    std::vector<TFileFilter> Filters;
    int FilterIndex = 0;  // 1-based; 0 takes the first
    std::string InitialDir;
    std::string DefExt;  // appended to a name typed without extension
  };

  TData& GetData() { return data_; }
  // The directory listed, without a trailing "/" except for the root.
  const std::string& CurrentDir() const { return dir_; }
  // Lists another directory; false when it cannot be read (nothing changes then).
  bool ChangeDir(const std::string& dir);
  // The directory list item's directory.
  std::string DirItemPath(int index) const;

 protected:
  // An empty template name builds the standard dialog; an empty title keeps the caption.
  TOpenSaveDialog(QWidget* parent, TData& data, const std::string& templateName,
                  const std::string& title, bool save);
  void SetupWindow() override;
  // Checks what is typed or selected and ends the dialog with IDOK when it is acceptable.
  void CmOk() override;
  // True when the last OK was accepted and the result stored.
  bool Accepted() const { return accepted_; }
  // The file list's selection moved: the name edit shows the selected names.
  virtual void EvFileListSelChange();
  QListWidget* FileList() const { return Item<QListWidget>(IDC_FILELIST); }
  QListWidget* DirList() const { return Item<QListWidget>(IDC_DIRLIST); }
  QLineEdit* NameEdit() const;

 private:
  void FillFileList();
  void FillDirList();
  void FillFileTypes();
  void FillDrives();
  void ChooseFileType(int index);
  std::string Resolve(const std::string& name) const;
  std::string WithDefaultExtension(const std::string& path) const;
  // The checks of the flags on one chosen file; false when the user is to choose again.
  bool Acceptable(const std::string& path);
  bool Ask(const std::string& text);
  void Tell(const std::string& text);

  TData& data_;
  bool save_;
  bool accepted_ = false;
  std::string dir_;
  std::string pattern_;
  std::vector<std::string> roots_;
};

// The open dialog; a name that does not exist is accepted unless OFN_FILEMUSTEXIST is given.
class TFileOpenDialog : public TOpenSaveDialog {
 public:
  TFileOpenDialog(QWidget* parent, TData& data, const std::string& templateName = "",
                  const std::string& title = "");
};

// The save dialog: one name, with the overwrite and create prompts the flags ask for.
class TFileSaveDialog : public TOpenSaveDialog {
 public:
  TFileSaveDialog(QWidget* parent, TData& data, const std::string& templateName = "",
                  const std::string& title = "");
};

}  // namespace framework
