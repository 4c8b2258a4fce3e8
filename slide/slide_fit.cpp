#include "slide/slide_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace lanterna {

SlideFit& CurrentFit() {
  static thread_local SlideFit fit;
  return fit;
}

void FitSlide(uint16_t width, uint16_t height, const gdi::RECT& target) {
  SlideFit& f = CurrentFit();
  f.slideWidth = width;
  f.slideHeight = height;
  f.left = 0;
  f.top = 0;
  f.right = target.right;
  f.bottom = target.bottom;
  if (width == 0 || height == 0) {
    // A slide without extent has nothing to fit; keep the arithmetic finite.
    f.scale = f.verticalScale = 1.0f;
    f.offsetX = f.offsetY = 0;
    return;
  }
  const float availableX = static_cast<float>(f.right - f.left);
  const float availableY = static_cast<float>(f.bottom - f.top);
  f.scale = availableX / static_cast<float>(width);
  f.verticalScale = availableY / static_cast<float>(height);
  if (f.scale > f.verticalScale) f.scale = f.verticalScale;
  if (f.scale == 0.0f) f.scale = 1.0f;
  const double freeX = std::floor(availableX - static_cast<float>(width) * f.scale);
  const double freeY = std::floor(availableY - static_cast<float>(height) * f.scale);
  f.offsetX = static_cast<int16_t>(static_cast<int32_t>(freeX * 0.5 / f.scale));
  f.offsetY = static_cast<int16_t>(static_cast<int32_t>(freeY * 0.5 / f.scale));
}

void ApplyWindowMapping(gdi::HDC dc, const ViewState* view) {
  if (!dc) return;
  const SlideFit& f = CurrentFit();
  float zoom = view ? static_cast<float>(view->zoom) : 1.0f;
  if (zoom < 1e-6f) zoom = 1.0f;
  gdi::POINT pan{view ? view->panX : 0, view ? view->panY : 0};

  gdi::SetMapMode(dc, gdi::MM_ISOTROPIC);
  gdi::SetWindowExtEx(dc, static_cast<int>(f.slideWidth / zoom),
                      static_cast<int>(f.slideHeight / zoom), nullptr);
  gdi::SetViewportExtEx(dc, f.right, -f.bottom, nullptr);
  gdi::DPtoLP(dc, &pan, 1);
  // A far pan maps to logical points near the ends of the 32-bit range: add in 64 bits and
  // keep the origin within it, so the picture is the same with and without overflow checks.
  auto within = [](int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max()));
  };
  gdi::SetWindowOrgEx(dc, within(int64_t{pan.x} - f.offsetX),
                      within(int64_t{f.slideHeight} + f.offsetY + pan.y), nullptr);
}

void ApplyMetafileMapping(gdi::HDC dc) {
  if (!dc) return;
  const SlideFit& f = CurrentFit();
  gdi::SetWindowExtEx(dc, f.slideWidth, -static_cast<int>(f.slideHeight), nullptr);
  gdi::SetWindowOrgEx(dc, 0, f.slideHeight, nullptr);
}

}  // namespace lanterna
