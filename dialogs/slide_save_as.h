// TSlideSaveAs: the Convert to DXF dialog, a file dialog with the "Convert to Polylines" box.
#pragma once

#include <string>

#include "framework/file_dialog.h"

namespace framework {
class TWindow;
}

namespace lanterna {

constexpr const char* kSaveDialogTemplate = "DLG_SAVE";

// Whether DXF output writes polylines: 1 (the start of a run) or 0; the check box remembers it.
int& DxfPolylineFlag();

class TSlideSaveAs : public framework::TFileOpenDialog {
 public:
  TSlideSaveAs(QWidget* parent, TData& data, const std::string& templateName,
               const std::string& title);

 protected:
  void SetupWindow() override;
  void CmOk() override;

 private:
  int checkBoxId_ = 101;
};

// Command 1030: asks for the DXF file and has the active slide window write it.
void CmConvertToDxf(QWidget* parent, framework::TWindow* activeSlideWindow);

}  // namespace lanterna
