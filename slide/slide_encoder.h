// Writing a new-form vector slide (little-endian) from lines, fills and colours in slide units,
// using the short records (common-endpoint and offset vectors) wherever the steps fit a byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "slide/ciclo.h"  // kMaxFillVertices, what a fill sequence may hold

namespace lanterna {

struct SlidePoint {
  int x = 0;
  int y = 0;
  bool operator==(const SlidePoint& o) const { return x == o.x && y == o.y; }
};

struct SlideEncoder {
  std::vector<uint8_t> bytes;
  SlidePoint last;  // the decoder's last point
  int colour = -1;  // none chosen yet
};

// Starts a slide of width x height slide units (each 1 to 32767).
SlideEncoder BeginSlide(int width, int height);
// A colour record, when the colour (0-255) differs from the current one.
void EncodeColour(SlideEncoder& e, int colour);
// Before the first colour record, lines and fills take colour 7 (one is written).
// A line; a single point when a == b. Coordinates are clamped to 0-32767.
void EncodeLine(SlideEncoder& e, SlidePoint a, SlidePoint b);
// A filled polygon of 3 or more vertices; longer ones are cut into fans of at most 30.
void EncodeFill(SlideEncoder& e, const std::vector<SlidePoint>& polygon);
// The end-of-file record; the slide's bytes are complete.
void EndSlide(SlideEncoder& e);

}  // namespace lanterna
