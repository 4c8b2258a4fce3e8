// TCreateLib: "Create Slides Library". The user orders a list of slide files and library
// members; OK writes them into the named library, which then opens in slide windows.
#pragma once

#include <string>

#include "framework/dialog.h"

namespace lanterna {

constexpr const char* kCreateLibTemplate = "DLG_CREATELIB";

class TCreateLib : public framework::TDialog {
 public:
  TCreateLib(QWidget* parent, const std::string& templateName, const std::string& libraryName);
  QListWidget* SlideList() const { return Item<QListWidget>(kSlideListId); }
  const std::string& LibraryName() const { return libraryName_; }

  static constexpr int kSlideListId = 102;

 protected:
  void SetupWindow() override;
  void CmOk() override;

 private:
  void CmAddSlide();
  void CmScreenSlides();
  void CmRemoveSlide();
  void CmMoveUp();
  void CmMoveDown();
  void ShowSelection();

  // Whole: a name cut to a buffer's size would write some other file.
  std::string libraryName_;
  std::string moveBuffer_;
  QWidget* parent_;
};

// The library has been written: close every slide window and open the library's members.
void OpenWrittenLibrary(const std::string& library);

// Command 1032: the Save dialog names the library, then TCreateLib builds it.
void CmCreateLibrary(QWidget* parent);

}  // namespace lanterna
