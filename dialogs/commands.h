// The commands whose dialogs open files: Open, Create Library, Convert to DXF.
#pragma once

#include <QWidget>

#include "framework/window.h"

namespace lanterna {

void CmFileOpen(QWidget* parent);
void CmCreateLibrary(QWidget* parent);
void CmConvertToDxf(QWidget* parent, framework::TWindow* activeSlideWindow);

}  // namespace lanterna
