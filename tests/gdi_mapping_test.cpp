#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "platform/gdi/gdi.h"

namespace gdi {
namespace {

class GdiMapping : public ::testing::Test {
 protected:
  GdiMapping() : dc_(CreateRasterDC(&surface_, DeviceCaps::TrueColour())) {}
  HDC dc() { return dc_.get(); }
  Bitmap surface_;
  std::unique_ptr<DeviceContext> dc_;
};

void ExpectPoint(POINT p, int x, int y) {
  EXPECT_EQ(p.x, x);
  EXPECT_EQ(p.y, y);
}

TEST_F(GdiMapping, IsotropicKeepsTheSmallerScaleAndItsSign) {
  SetMapMode(dc(), MM_ISOTROPIC);
  SetWindowExtEx(dc(), 600, 200, nullptr);
  SetViewportExtEx(dc(), 300, -200, nullptr);
  EXPECT_EQ(dc()->Map().viewportExt.cx, 300);
  EXPECT_EQ(dc()->Map().viewportExt.cy, -100);

  // x wins this time: scale 2 on both axes.
  SetWindowExtEx(dc(), 100, 100, nullptr);
  SetViewportExtEx(dc(), 300, 200, nullptr);
  EXPECT_EQ(dc()->Map().viewportExt.cx, 200);
  EXPECT_EQ(dc()->Map().viewportExt.cy, 200);
}

TEST_F(GdiMapping, IsotropicAdjustsAgainWhenTheWindowChanges) {
  SetMapMode(dc(), MM_ISOTROPIC);
  SetViewportExtEx(dc(), 300, -200, nullptr);  // against the default 1x1 window: 200 wins
  EXPECT_EQ(dc()->Map().viewportExt.cx, 200);
  SetWindowExtEx(dc(), 600, 200, nullptr);  // 200/600 < 200/200, floor(-66.67 + 0.5)
  EXPECT_EQ(dc()->Map().viewportExt.cx, 200);
  EXPECT_EQ(dc()->Map().viewportExt.cy, -67);
}

TEST_F(GdiMapping, IsotropicNeverShrinksAnExtentToZero) {
  SetMapMode(dc(), MM_ISOTROPIC);
  SetWindowExtEx(dc(), 100000, 1, nullptr);
  SetViewportExtEx(dc(), 1, -1, nullptr);
  EXPECT_EQ(dc()->Map().viewportExt.cx, 1);
  EXPECT_EQ(dc()->Map().viewportExt.cy, -1);
}

TEST_F(GdiMapping, SwitchingToIsotropicAdjustsAnAnisotropicViewport) {
  SetMapMode(dc(), MM_ANISOTROPIC);
  SetWindowExtEx(dc(), 600, 200, nullptr);
  SetViewportExtEx(dc(), 300, -200, nullptr);
  EXPECT_EQ(dc()->Map().viewportExt.cy, -200);
  EXPECT_EQ(SetMapMode(dc(), MM_ISOTROPIC), MM_ANISOTROPIC);
  EXPECT_EQ(dc()->Map().viewportExt.cy, -100);
}

// The slide set-up: a 600x200 slide shown in a 300x200 window, y up, origin at the top.
TEST_F(GdiMapping, FlippedIsotropicMappingRoundsToNearest) {
  SetMapMode(dc(), MM_ISOTROPIC);
  SetWindowExtEx(dc(), 600, 200, nullptr);
  SetViewportExtEx(dc(), 300, -200, nullptr);
  SetWindowOrgEx(dc(), 0, 300, nullptr);
  ExpectPoint(dc()->ToDevice(0, 300), 0, 0);
  ExpectPoint(dc()->ToDevice(600, 100), 300, 100);
  ExpectPoint(dc()->ToDevice(1, 299), 1, 1);     // 0.5 rounds up on both axes
  ExpectPoint(dc()->ToDevice(3, 297), 2, 2);     // 1.5
  ExpectPoint(dc()->ToDevice(-1, 301), 0, 0);    // -0.5 rounds up to 0
  ExpectPoint(dc()->ToDevice(-3, 303), -1, -1);  // -1.5
  ExpectPoint(dc()->ToLogical(1, 1), 2, 298);
  ExpectPoint(dc()->ToLogical(300, 100), 600, 100);
}

TEST_F(GdiMapping, AnisotropicScalesEachAxisOnItsOwn) {
  SetMapMode(dc(), MM_ANISOTROPIC);
  SetWindowExtEx(dc(), 10, 20, nullptr);
  SetViewportExtEx(dc(), 30, -40, nullptr);
  SetViewportOrgEx(dc(), 5, 7, nullptr);
  ExpectPoint(dc()->ToDevice(1, 1), 8, 5);
  ExpectPoint(dc()->ToLogical(8, 5), 1, 1);
}

TEST_F(GdiMapping, TextModeIgnoresExtentsButNotOrigins) {
  EXPECT_EQ(SetWindowExtEx(dc(), 50, 50, nullptr), 1);
  EXPECT_EQ(SetViewportExtEx(dc(), 7, 9, nullptr), 1);
  EXPECT_EQ(dc()->Map().windowExt.cx, 1);
  EXPECT_EQ(dc()->Map().viewportExt.cx, 1);
  POINT oldOrg{-1, -1};
  SetWindowOrgEx(dc(), 10, 20, nullptr);
  SetViewportOrgEx(dc(), 5, 5, &oldOrg);
  ExpectPoint(oldOrg, 0, 0);
  ExpectPoint(dc()->ToDevice(10, 20), 5, 5);
  ExpectPoint(dc()->ToDevice(13, 19), 8, 4);
  ExpectPoint(dc()->ToLogical(8, 4), 13, 19);
}

TEST_F(GdiMapping, ZeroExtentsAreRefusedAndTheOldOnesKept) {
  SetMapMode(dc(), MM_ANISOTROPIC);
  SetWindowExtEx(dc(), 40, 30, nullptr);
  SIZE old{};
  EXPECT_EQ(SetWindowExtEx(dc(), 0, 30, &old), 0);
  EXPECT_EQ(old.cx, 40);
  EXPECT_EQ(dc()->Map().windowExt.cx, 40);
  EXPECT_EQ(dc()->Map().windowExt.cy, 30);
}

TEST_F(GdiMapping, ModesOtherThanTheThreeAreRefused) {
  EXPECT_EQ(SetMapMode(dc(), MM_ANISOTROPIC), MM_TEXT);
  EXPECT_EQ(SetMapMode(dc(), 3), 0);
  EXPECT_EQ(dc()->Map().mode, MM_ANISOTROPIC);
  EXPECT_EQ(SetMapMode(nullptr, MM_TEXT), 0);
}

TEST_F(GdiMapping, PointArraysConvertBothWays) {
  SetMapMode(dc(), MM_ANISOTROPIC);
  SetWindowExtEx(dc(), 100, -100, nullptr);
  SetViewportExtEx(dc(), 50, 50, nullptr);
  SetWindowOrgEx(dc(), 0, 100, nullptr);
  POINT pts[3] = {{0, 100}, {100, 0}, {40, 60}};
  ASSERT_EQ(LPtoDP(dc(), pts, 3), 1);
  ExpectPoint(pts[0], 0, 0);
  ExpectPoint(pts[1], 50, 50);
  ExpectPoint(pts[2], 20, 20);
  ASSERT_EQ(DPtoLP(dc(), pts, 3), 1);
  ExpectPoint(pts[2], 40, 60);
  EXPECT_EQ(DPtoLP(dc(), nullptr, 1), 0);
}

TEST_F(GdiMapping, PenWidthFollowsTheHorizontalScale) {
  EXPECT_EQ(dc()->DevicePenWidth(5), 5);
  EXPECT_EQ(dc()->DevicePenWidth(0), 1);
  SetMapMode(dc(), MM_ISOTROPIC);
  SetWindowExtEx(dc(), 600, 200, nullptr);
  SetViewportExtEx(dc(), 300, -200, nullptr);
  EXPECT_EQ(dc()->DevicePenWidth(3), 2);  // 1.5 rounds up
  EXPECT_EQ(dc()->DevicePenWidth(1), 1);
  EXPECT_EQ(dc()->DevicePenWidth(0), 1);
  EXPECT_EQ(dc()->DevicePenWidth(10), 5);
  EXPECT_EQ(dc()->DevicePenWidth(-10), 5);
}

TEST_F(GdiMapping, ExtremeCoordinatesSaturateInsteadOfWrapping) {
  SetMapMode(dc(), MM_ANISOTROPIC);
  SetWindowExtEx(dc(), 1, 1, nullptr);
  SetViewportExtEx(dc(), INT_MAX, INT_MIN + 1, nullptr);
  SetWindowOrgEx(dc(), INT_MIN, INT_MAX, nullptr);
  const POINT p = dc()->ToDevice(INT_MAX, INT_MIN);
  EXPECT_EQ(p.x, INT_MAX);
  EXPECT_EQ(p.y, INT_MAX);
  EXPECT_EQ(dc()->DevicePenWidth(INT_MAX), 1 << 30);
  SetMapMode(dc(), MM_TEXT);
  SetViewportOrgEx(dc(), INT_MIN, INT_MIN, nullptr);
  EXPECT_EQ(dc()->ToDevice(INT_MIN, INT_MIN).x, INT_MIN);
  EXPECT_EQ(dc()->ToLogical(INT_MAX, INT_MAX).x, INT_MAX);
}

}  // namespace
}  // namespace gdi
