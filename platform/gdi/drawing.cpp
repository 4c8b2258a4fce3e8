// The drawing entry points: current position, lines, polygons, pixels and block transfers.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/gdi/gdi.h"

namespace gdi {

namespace {

int32_t Narrow(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Cuts a transfer's destination span [lo, hi) to [0, size), moving the source start with it.
void ClipSpan(int64_t& lo, int64_t& hi, int64_t& source, int64_t size) {
  if (lo < 0) {
    source -= lo;
    lo = 0;
  }
  hi = std::min(hi, size);
}

}  // namespace

BOOL MoveToEx(HDC dc, int x, int y, POINT* old) {
  if (!dc) return 0;
  if (old) *old = dc->CurrentPosition();
  dc->MoveTo(x, y);
  return 1;
}

BOOL LineTo(HDC dc, int x, int y) {
  if (!dc) return 0;
  dc->Line(dc->CurrentPosition(), {x, y});
  dc->MoveTo(x, y);
  return 1;
}

BOOL Polygon(HDC dc, const POINT* pts, int count) {
  if (!dc || !pts || count < 2) return 0;
  dc->FillPolygon(pts, count);
  return 1;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  return dc ? dc->PutPixel(x, y, color) : CLR_INVALID;
}

COLORREF GetPixel(HDC dc, int x, int y) {
  if (dc) dc->Flush();
  const Bitmap* surface = dc ? dc->Surface() : nullptr;
  if (!surface) return CLR_INVALID;
  const DevicePoint p = dc->ToDeviceWide(x, y);
  if (p.x < 0 || p.y < 0 || p.x >= surface->width || p.y >= surface->height) return CLR_INVALID;
  const auto index =
      static_cast<size_t>(p.y) * static_cast<size_t>(surface->width) + static_cast<size_t>(p.x);
  return index < surface->pixels.size() ? surface->pixels[index] : CLR_INVALID;
}

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  if (!dst) return 0;
  const bool fill = rop == WHITENESS || rop == BLACKNESS;
  if (!fill && !src) return 0;

  const DevicePoint d0 = dst->ToDeviceWide(x, y);
  const DevicePoint d1 = dst->ToDeviceWide(int64_t{x} + w, int64_t{y} + h);
  int64_t left = std::min(d0.x, d1.x), right = std::max(d0.x, d1.x);
  int64_t top = std::min(d0.y, d1.y), bottom = std::max(d0.y, d1.y);
  int64_t originX = 0, originY = 0;
  if (!fill) {
    const DevicePoint s0 = src->ToDeviceWide(sx, sy);
    const DevicePoint s1 = src->ToDeviceWide(int64_t{sx} + w, int64_t{sy} + h);
    originX = std::min(s0.x, s1.x);
    originY = std::min(s0.y, s1.y);
  }

  // Clip here, in 64 bits, so what reaches the device fits its 32-bit rectangle.
  if (const Bitmap* surface = dst->Surface()) {
    ClipSpan(left, right, originX, surface->width);
    ClipSpan(top, bottom, originY, surface->height);
  }
  const Bitmap* source = fill ? nullptr : src->Surface();
  if (source) {
    if (originX < 0) left -= originX, originX = 0;
    if (originY < 0) top -= originY, originY = 0;
    right = std::min(right, left + (source->width - originX));
    bottom = std::min(bottom, top + (source->height - originY));
  }
  if (left >= right || top >= bottom) return 1;
  dst->Blit({Narrow(left), Narrow(top), Narrow(right), Narrow(bottom)}, src,
            {Narrow(originX), Narrow(originY)}, rop);
  return 1;
}

}  // namespace gdi
