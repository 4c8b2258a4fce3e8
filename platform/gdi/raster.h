// Pixel-level drawing shared by the raster contexts; everything here works in device units
// and never writes outside the canvas.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi::raster {

// The writable part of a bitmap: its stated size, cut down to the pixels actually present.
struct Canvas {
  COLORREF* pixels = nullptr;
  int64_t width = 0;
  int64_t height = 0;
};
// Asked for every line: inline.
inline Canvas CanvasOf(Bitmap* bitmap) {
  if (!bitmap || bitmap->width <= 0 || bitmap->height <= 0) return {};
  const int64_t width = bitmap->width;
  // Asked for every line: a bitmap holding all its pixels, the usual case, needs no division.
  if (bitmap->pixels.size() >= static_cast<size_t>(width) * static_cast<size_t>(bitmap->height))
    return {bitmap->pixels.data(), width, bitmap->height};
  const auto rows = static_cast<int64_t>(bitmap->pixels.size() / static_cast<size_t>(width));
  const int64_t height = std::min<int64_t>(bitmap->height, rows);
  if (height <= 0) return {};
  return {bitmap->pixels.data(), width, height};
}

// count pixels from p on set to colour, 16 bytes a store: the compiler leaves a plain loop
// at one pixel a store, and spans of fills and wide lines are most of a big picture's pixels.
inline void FillSpan(COLORREF* p, int64_t count, COLORREF colour) {
  if (count < 4) {
    for (int64_t i = 0; i < count; ++i) p[i] = colour;
    return;
  }
  using Four = uint32_t __attribute__((vector_size(16)));
  const Four four = {colour, colour, colour, colour};
  COLORREF* const end = p + count;
  for (; p + 4 <= end; p += 4) std::memcpy(p, &four, sizeof four);
  std::memcpy(end - 4, &four, sizeof four);  // the last 0-3 pixels, overlapping
}

// A one-pixel line: the Bresenham pixels from a up to, but not including, b.
void ThinLine(const Canvas& canvas, DevicePoint a, DevicePoint b, COLORREF colour);
// A line of the given device width: every pixel within width/2 of the segment, round ends.
void WideLine(const Canvas& canvas, DevicePoint a, DevicePoint b, int width, COLORREF colour);

// Reused between calls so that small polygons do not allocate.
struct FillScratch {
  struct Edge {
    int64_t x0, y0, x1, y1;  // y0 < y1
  };
  std::vector<Edge> edges;
  std::vector<int64_t> crossings;
};
// Alternate (even-odd) fill; a pixel is in when its integer point is, left and top edges
// included, right and bottom edges not.
void FillEvenOdd(const Canvas& canvas, const DevicePoint* pts, int count, COLORREF colour,
                 FillScratch& scratch);

}  // namespace gdi::raster
