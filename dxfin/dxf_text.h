// Texts of a drawing (TEXT, ATTRIB, MTEXT) laid out in their style's font: strokes of a
// stroke font, or the filled outlines of a TrueType font (dxf_fonts.h).
#pragma once

#include <array>
#include <vector>

#include "dxfin/dxf_drawing.h"
#include "dxfin/dxf_fonts.h"

namespace lanterna::dxfin {

struct TextPicture {
  std::vector<Stroke> strokes;              // of a stroke font
  std::vector<std::vector<Stroke>> glyphs;  // of an outline font: each glyph's closed rings
};

// A kText entity in its own plane (the coordinates of its points): height, rotation, width
// factor, oblique angle, alignment, MTEXT line breaks, wrapping and the basic inline codes.
// False without a face.
bool LayOutText(const Entity& e, const Face* face, TextPicture* out);

}  // namespace lanterna::dxfin
