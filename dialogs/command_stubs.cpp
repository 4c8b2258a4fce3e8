// TEMPORARY until the file dialogs land.
#include "dialogs/commands.h"
namespace lanterna {
[[gnu::weak]] void CmFileOpen(QWidget*) {}
[[gnu::weak]] void CmCreateLibrary(QWidget*) {}
[[gnu::weak]] void CmConvertToDxf(QWidget*, framework::TWindow*) {}
}  // namespace lanterna
