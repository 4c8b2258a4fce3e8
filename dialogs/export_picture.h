// File > Export Picture...: the active slide window's picture as a PNG, SVG or PDF file at the
// window's size or one given, with its zoom and pan, through the same writers as lanterna-cli
// render.
#pragma once

#include <string>

class QWidget;

namespace lanterna {

class TMyChild;

// Writes what slide shows to path, the kind by its extension (.svg, .pdf, else PNG), under a
// temporary name renamed when complete; false when the slide cannot be read or the file written.
// A size other than the window's shows the same part of the slide, the pan scaled to it.
bool ExportPicture(const TMyChild& slide, const std::string& path, int width = 0, int height = 0);

// "WIDTHxHEIGHT" (1 to 16384 each); false for anything else.
bool ParsePictureSize(const std::string& text, int* width, int* height);

// Asks for the file, offering the slide's own name, then for the size, offering the window's;
// writes it and says where in the status bar.
void CmExportPicture(QWidget* parent, TMyChild* active);

}  // namespace lanterna
