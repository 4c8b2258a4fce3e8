// Logical <-> device mapping: MM_TEXT, MM_ISOTROPIC and MM_ANISOTROPIC, with the extent and
// origin calls that set it up.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/gdi/gdi.h"

namespace gdi {

using mapping::MapAxis;
using mapping::Scaled;

namespace {

constexpr int kMaxPenWidth = 1 << 30;

int32_t Narrow(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int32_t ShrinkExtent(int32_t extent, double ratio) {
  auto shrunk = static_cast<int32_t>(std::floor(extent * ratio + 0.5));
  if (shrunk == 0) shrunk = extent < 0 ? -1 : 1;
  return shrunk;
}

// Isotropic mode: both axes get the smaller of the two scales; signs are kept.
void AdjustIsotropic(Mapping& m) {
  if (m.mode != MM_ISOTROPIC) return;
  if (m.windowExt.cx == 0 || m.windowExt.cy == 0) return;
  const double xdim = std::fabs(static_cast<double>(m.viewportExt.cx) / m.windowExt.cx);
  const double ydim = std::fabs(static_cast<double>(m.viewportExt.cy) / m.windowExt.cy);
  if (xdim > ydim) {
    m.viewportExt.cx = ShrinkExtent(m.viewportExt.cx, ydim / xdim);
  } else if (ydim > xdim) {
    m.viewportExt.cy = ShrinkExtent(m.viewportExt.cy, xdim / ydim);
  }
}

}  // namespace

POINT DeviceContext::ToDevice(int32_t x, int32_t y) const {
  const DevicePoint p = ToDeviceWide(x, y);
  return {Narrow(p.x), Narrow(p.y)};
}

POINT DeviceContext::ToLogical(int32_t x, int32_t y) const {
  const bool scaled = Scaled(map_);
  return {Narrow(MapAxis(x, map_.viewportOrg.x, map_.viewportExt.cx, map_.windowOrg.x,
                         map_.windowExt.cx, scaled)),
          Narrow(MapAxis(y, map_.viewportOrg.y, map_.viewportExt.cy, map_.windowOrg.y,
                         map_.windowExt.cy, scaled))};
}

int DeviceContext::DevicePenWidth(int logicalWidth) const {
  if (!Scaled(map_) || map_.windowExt.cx == 0) return std::clamp(logicalWidth, 1, kMaxPenWidth);
  const double w =
      std::fabs(static_cast<double>(logicalWidth) * map_.viewportExt.cx / map_.windowExt.cx);
  return static_cast<int>(std::clamp(std::floor(w + 0.5), 1.0, static_cast<double>(kMaxPenWidth)));
}

int SetMapMode(HDC dc, int mode) {
  if (!dc) return 0;
  if (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) return 0;
  Mapping& m = dc->Map();
  const int previous = m.mode;
  m.mode = mode;
  AdjustIsotropic(m);
  return previous;
}

BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE* old) {
  if (!dc) return 0;
  Mapping& m = dc->Map();
  if (old) *old = m.windowExt;
  if (x != 0 && y != 0) dc->NoteWindowExt({x, y});
  if (m.mode == MM_TEXT) return 1;
  if (x == 0 || y == 0) return 0;
  m.windowExt = {x, y};
  AdjustIsotropic(m);
  return 1;
}

BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE* old) {
  if (!dc) return 0;
  Mapping& m = dc->Map();
  if (old) *old = m.viewportExt;
  if (m.mode == MM_TEXT) return 1;
  if (x == 0 || y == 0) return 0;
  m.viewportExt = {x, y};
  AdjustIsotropic(m);
  return 1;
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old) {
  if (!dc) return 0;
  Mapping& m = dc->Map();
  if (old) *old = m.windowOrg;
  m.windowOrg = {x, y};
  return 1;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old) {
  if (!dc) return 0;
  Mapping& m = dc->Map();
  if (old) *old = m.viewportOrg;
  m.viewportOrg = {x, y};
  return 1;
}

BOOL DPtoLP(HDC dc, POINT* pts, int count) {
  if (!dc || count < 0 || (count > 0 && !pts)) return 0;
  for (int i = 0; i < count; ++i) pts[i] = dc->ToLogical(pts[i].x, pts[i].y);
  return 1;
}

BOOL LPtoDP(HDC dc, POINT* pts, int count) {
  if (!dc || count < 0 || (count > 0 && !pts)) return 0;
  for (int i = 0; i < count; ++i) pts[i] = dc->ToDevice(pts[i].x, pts[i].y);
  return 1;
}

}  // namespace gdi
