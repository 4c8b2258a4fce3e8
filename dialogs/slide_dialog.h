// TSlideDialog: the Open dialog for slides, libraries and rendering slides. Beside the file
// dialog's own controls it shows a miniature of the focused slide, the members of a focused
// library (several may be chosen), the sizes of the file and of the member, and the tools All,
// Del, Ren and "?".
#pragma once

#include <string>

#include "framework/file_dialog.h"

namespace lanterna {

class TMiniature;

constexpr const char* kOpenDialogTemplate = "DLG_OPEN";

class TSlideDialog : public framework::TFileOpenDialog {
 public:
  // openMode 0: the Open command; 1: Add slide (no "All", no "Del").
  TSlideDialog(QWidget* parent, TData& data, const std::string& templateName, int openMode);

  const std::string& CurrentPath() const { return currentPath_; }
  const std::string& PreviousPath() const { return previousPath_; }
  std::string CurrentMember() const { return currentMember_; }
  TMiniature* Miniature() const { return miniature_; }
  // The directory list's path to the file list's caret item.
  std::string FocusedFilePath() const;

 protected:
  QWidget* MakeControl(const framework::TDialogControl& c) override;
  void SetupWindow() override;
  void CmOk() override;
  void EvFileListSelChange() override;

 private:
  void MemberFocusChange();
  void OpenOneMember();
  void CmAll();
  void CmDelete();
  void CmRename();
  void CmInformation();
  void DrawMiniature(int id);
  QListWidget* MemberList() const { return Item<QListWidget>(memberListId_); }
  bool FocusedLibrary() const;

  int memberListId_ = 101;
  int miniatureId_ = 1039;
  int fileListId_ = framework::IDC_FILELIST;
  int fileNameEditId_ = framework::IDC_FILENAME;
  std::string currentPath_;
  std::string previousPath_;
  char currentMember_[260] = {};
  int openMode_;
  TMiniature* miniature_ = nullptr;
};

// The record both callers start the dialog with.
framework::TOpenSaveDialog::TData SlideOpenData();

// Command 24332: the Open dialog over the MDI client, then the chosen slides open.
void CmFileOpen(QWidget* parent);

}  // namespace lanterna
