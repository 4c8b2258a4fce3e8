// Alternate-fill polygons by scanlines.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "platform/gdi/raster.h"

namespace gdi::raster {

namespace {

constexpr int64_t kExact = int64_t{1} << 31;  // below this, crossings are exact in 64 bits

int64_t CeilDiv(int64_t a, int64_t b) {  // b > 0
  return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// ceil of the edge's x at row y, cut to just outside the canvas (keeps the order of crossings).
int64_t CeilCrossing(const FillScratch::Edge& e, int64_t y, int64_t width) {
  const int64_t dx = e.x1 - e.x0, dy = e.y1 - e.y0;
  int64_t x;
  if (std::llabs(dx) < kExact && dy < kExact) {
    x = e.x0 + CeilDiv((y - e.y0) * dx, dy);
  } else {
    const double exact =
        static_cast<double>(e.x0) + static_cast<double>(y - e.y0) * static_cast<double>(dx) / dy;
    x = static_cast<int64_t>(std::clamp(std::ceil(exact), -1.0, static_cast<double>(width)));
  }
  return std::clamp<int64_t>(x, -1, width);
}

}  // namespace

void FillEvenOdd(const Canvas& canvas, const DevicePoint* pts, int count, COLORREF colour,
                 FillScratch& scratch) {
  if (canvas.width <= 0 || canvas.height <= 0 || count < 3) return;
  auto& edges = scratch.edges;
  edges.clear();
  int64_t top = INT64_MAX, bottom = INT64_MIN;
  for (int i = 0; i < count; ++i) {
    const DevicePoint& p = pts[i];
    const DevicePoint& q = pts[i + 1 < count ? i + 1 : 0];
    if (p.y == q.y) continue;  // horizontal edges never cross a row
    const FillScratch::Edge e =
        p.y < q.y ? FillScratch::Edge{p.x, p.y, q.x, q.y} : FillScratch::Edge{q.x, q.y, p.x, p.y};
    edges.push_back(e);
    top = std::min(top, e.y0);
    bottom = std::max(bottom, e.y1);
  }
  if (edges.empty()) return;
  const int64_t firstRow = std::max<int64_t>(top, 0);
  const int64_t lastRow = std::min(bottom - 1, canvas.height - 1);

  auto& crossings = scratch.crossings;
  const auto stride = static_cast<ptrdiff_t>(canvas.width);
  for (int64_t y = firstRow; y <= lastRow; ++y) {
    crossings.clear();
    for (const FillScratch::Edge& e : edges) {
      if (e.y0 <= y && y < e.y1) crossings.push_back(CeilCrossing(e, y, canvas.width));
    }
    std::sort(crossings.begin(), crossings.end());
    COLORREF* row = canvas.pixels + y * stride;
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
      const int64_t from = std::max<int64_t>(crossings[i], 0);
      const int64_t to = std::min(crossings[i + 1], canvas.width);  // exclusive
      if (from < to) FillSpan(row + from, to - from, colour);
    }
  }
}

}  // namespace gdi::raster
