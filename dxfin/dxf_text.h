// Texts of a drawing (TEXT, ATTRIB, MTEXT) as the strokes of a stroke font: the Hershey
// fonts, the plotter fonts such drawings assume for their .shx styles.
#pragma once

#include <array>
#include <vector>

#include "dxfin/dxf_drawing.h"

namespace lanterna::dxfin {

using Stroke = std::vector<std::array<double, 2>>;

// The strokes of a kText entity in its own plane (the coordinates of its points): height,
// rotation, width factor, oblique angle, alignment, MTEXT line breaks, wrapping and the basic
// inline codes. False when no stroke font could be loaded.
bool TextStrokes(const Entity& e, std::vector<Stroke>* out);

}  // namespace lanterna::dxfin
