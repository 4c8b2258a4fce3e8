#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "platform/gdi/gdi.h"

namespace gdi {
namespace {

class GdiMapping : public ::testing::Test {
 protected:
  HDC dc() { return dc_.get(); }
  SIZE Viewport() { return dc_->Map().viewportExt; }
  std::unique_ptr<DeviceContext> dc_ = CreateRasterDC(nullptr, DeviceCaps::TrueColour());
};

#define EXPECT_POINT(p, px, py) \
  do {                          \
    const POINT q = (p);        \
    EXPECT_EQ(q.x, px);         \
    EXPECT_EQ(q.y, py);         \
  } while (0)

TEST_F(GdiMapping, IsotropicKeepsTheSmallerScaleWithItsSign) {
  SetMapMode(dc(), MM_ISOTROPIC);
  SetWindowExtEx(dc(), 600, 200, nullptr);
  SetViewportExtEx(dc(), 300, -200, nullptr);
  EXPECT_EQ(Viewport().cx, 300);
  EXPECT_EQ(Viewport().cy, -100);
  SetWindowExtEx(dc(), 100, 100, nullptr);
  SetViewportExtEx(dc(), 300, 200, nullptr);  // x shrinks this time
  EXPECT_EQ(Viewport().cx, 200);
  SetWindowExtEx(dc(), 100000, 1, nullptr);
  SetViewportExtEx(dc(), 1, -1, nullptr);  // would round to 0
  EXPECT_EQ(Viewport().cy, -1);
  // Switching modes adjusts too.
  SetMapMode(dc(), MM_ANISOTROPIC);
  SetWindowExtEx(dc(), 600, 200, nullptr);
  SetViewportExtEx(dc(), 300, -200, nullptr);
  EXPECT_EQ(SetMapMode(dc(), MM_ISOTROPIC), MM_ANISOTROPIC);
  EXPECT_EQ(Viewport().cy, -100);
}

// The slide set-up: 600x200 logical shown in 300x200 pixels, y up from logical 300.
TEST_F(GdiMapping, FlippedIsotropicRoundsHalvesUp) {
  SetMapMode(dc(), MM_ISOTROPIC);
  SetWindowExtEx(dc(), 600, 200, nullptr);
  SetViewportExtEx(dc(), 300, -200, nullptr);
  SetWindowOrgEx(dc(), 0, 300, nullptr);
  EXPECT_POINT(dc()->ToDevice(0, 300), 0, 0);
  EXPECT_POINT(dc()->ToDevice(600, 100), 300, 100);
  EXPECT_POINT(dc()->ToDevice(1, 299), 1, 1);     // 0.5
  EXPECT_POINT(dc()->ToDevice(3, 297), 2, 2);     // 1.5
  EXPECT_POINT(dc()->ToDevice(-1, 301), 0, 0);    // -0.5
  EXPECT_POINT(dc()->ToDevice(-3, 303), -1, -1);  // -1.5
  EXPECT_POINT(dc()->ToLogical(1, 1), 2, 298);
  EXPECT_EQ(dc()->DevicePenWidth(3), 2);  // 1.5
  EXPECT_EQ(dc()->DevicePenWidth(-10), 5);
  EXPECT_EQ(dc()->DevicePenWidth(0), 1);
}

TEST_F(GdiMapping, TextModeIgnoresExtentsButNotOrigins) {
  EXPECT_EQ(SetViewportExtEx(dc(), 7, 9, nullptr), 1);
  EXPECT_EQ(Viewport().cx, 1);
  SetWindowOrgEx(dc(), 10, 20, nullptr);
  SetViewportOrgEx(dc(), 5, 5, nullptr);
  EXPECT_POINT(dc()->ToDevice(13, 19), 8, 4);
  EXPECT_POINT(dc()->ToLogical(8, 4), 13, 19);
  EXPECT_EQ(dc()->DevicePenWidth(5), 5);
  EXPECT_EQ(dc()->DevicePenWidth(0), 1);
}

TEST_F(GdiMapping, AnisotropicArraysAndRefusals) {
  EXPECT_EQ(SetMapMode(dc(), 3), 0);
  SetMapMode(dc(), MM_ANISOTROPIC);
  SetWindowExtEx(dc(), 100, -100, nullptr);
  SetViewportExtEx(dc(), 50, 30, nullptr);
  SetWindowOrgEx(dc(), 0, 100, nullptr);
  SIZE old{};
  EXPECT_EQ(SetWindowExtEx(dc(), 0, 30, &old), 0);
  EXPECT_EQ(old.cx, 100);
  EXPECT_EQ(dc()->Map().windowExt.cy, -100);
  POINT pts[2] = {{100, 0}, {40, 50}};
  ASSERT_EQ(LPtoDP(dc(), pts, 2), 1);
  EXPECT_POINT(pts[0], 50, 30);
  EXPECT_POINT(pts[1], 20, 15);
  ASSERT_EQ(DPtoLP(dc(), pts, 2), 1);
  EXPECT_POINT(pts[1], 40, 50);
}

TEST_F(GdiMapping, ExtremesSaturate) {
  SetMapMode(dc(), MM_ANISOTROPIC);
  SetViewportExtEx(dc(), INT_MAX, INT_MIN + 1, nullptr);
  SetWindowOrgEx(dc(), INT_MIN, INT_MAX, nullptr);
  EXPECT_POINT(dc()->ToDevice(INT_MAX, INT_MIN), INT_MAX, INT_MAX);
  EXPECT_EQ(dc()->DevicePenWidth(INT_MAX), 1 << 30);
  SetMapMode(dc(), MM_TEXT);
  SetViewportOrgEx(dc(), INT_MIN, INT_MIN, nullptr);
  EXPECT_EQ(dc()->ToDevice(INT_MIN, 0).x, INT_MIN);
  EXPECT_EQ(dc()->ToLogical(INT_MAX, 0).x, INT_MAX);
}

}  // namespace
}  // namespace gdi
