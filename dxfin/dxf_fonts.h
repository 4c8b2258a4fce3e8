// The fonts texts are drawn in: a text style's TrueType font as filled outlines (FreeType,
// found through fontconfig, DejaVu Sans when it is missing), anything else (.shx) in the
// Hershey simplex stroke font.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace lanterna::dxfin {

using Stroke = std::vector<std::array<double, 2>>;

// A glyph in font units: y up from the baseline, advancing along x. Filled: its paths are
// closed rings, filled by the even-odd rule; else open strokes.
struct Glyph {
  double advance = 0;
  std::vector<Stroke> paths;
  bool filled = false;
};

// A font's glyphs; a character it lacks comes from an installed font that has it (CJK ones
// too), scaled to the same capital height.
class Face {
 public:
  virtual ~Face() = default;
  virtual double CapHeight() const = 0;
  virtual double Descent() const = 0;
  virtual const Glyph& GlyphOf(unsigned codePoint) const = 0;
};

// The face for a style's font file (any case, with or without a folder); nullptr when not
// even the stroke font loads. Faces live as long as the program.
const Face* FaceFor(const std::string& fontFile);

}  // namespace lanterna::dxfin
