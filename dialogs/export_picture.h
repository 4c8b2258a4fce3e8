// File > Export Picture...: the active slide window's picture as a PNG, SVG or PDF file at the
// window's size, zoom and pan, through the same writers as lanterna-cli render.
#pragma once

#include <string>

class QWidget;

namespace lanterna {

class TMyChild;

// Writes what slide shows to path, the kind by its extension (.svg, .pdf, else PNG), under a
// temporary name renamed when complete; false when the slide cannot be read or the file written.
bool ExportPicture(const TMyChild& slide, const std::string& path);

// Asks for the file, offering the slide's own name, writes it and says where in the status bar.
void CmExportPicture(QWidget* parent, TMyChild* active);

}  // namespace lanterna
