#include "dialogs/slide_save_as.h"

#include "framework/window.h"
#include "resources/resources.h"
#include "shell/child.h"
#include "shell/shell_state.h"

namespace lanterna {

int& DxfPolylineFlag() {
  static int flag = 1;
  return flag;
}

TSlideSaveAs::TSlideSaveAs(QWidget* parent, TData& data, const std::string& templateName,
                           const std::string& title)
    : TFileOpenDialog(parent, data, templateName, title) {}

void TSlideSaveAs::SetupWindow() {
  TFileOpenDialog::SetupWindow();
  setCursor(res::LoadCursor("CUR_MANO"));
  if (DxfPolylineFlag()) CheckDlgButton(checkBoxId_, true);
}

void TSlideSaveAs::CmOk() {
  // Kept as soon as OK is pressed, whether the name is then accepted or not.
  DxfPolylineFlag() = IsDlgButtonChecked(checkBoxId_) ? 1 : 0;
  TFileOpenDialog::CmOk();
}

void CmConvertToDxf(QWidget* parent, framework::TWindow* activeSlideWindow) {
  framework::TOpenSaveDialog::TData data;
  if (auto* slide = dynamic_cast<TMyChild*>(activeSlideWindow))
    data.FileName = slide->FileStem() + ".dxf";
  data.Flags = framework::OFN_HIDEREADONLY | framework::OFN_OVERWRITEPROMPT;
  data.Filters = {{"DXF File (*.dxf)", "*.dxf"}};
  data.InitialDir = Shell().LastDir;
  data.DefExt = "DXF";
  data.MaxPath = 260;
  TSlideSaveAs dialog(parent, data, kSaveDialogTemplate, "Convert to DXF");
  if (dialog.Execute() != framework::IDOK || !activeSlideWindow) return;
  activeSlideWindow->SendMessage(WM_WRITEDXF, static_cast<uintptr_t>(DxfPolylineFlag()),
                                 reinterpret_cast<intptr_t>(data.FileName.c_str()));
}

}  // namespace lanterna
