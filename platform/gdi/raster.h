// Pixel-level drawing shared by the raster contexts; everything here works in device units
// and never writes outside the canvas.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi::raster {

// The writable part of a bitmap: its stated size, cut down to the pixels actually present.
struct Canvas {
  COLORREF* pixels = nullptr;
  int64_t width = 0;
  int64_t height = 0;
};
Canvas CanvasOf(Bitmap* bitmap);

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
