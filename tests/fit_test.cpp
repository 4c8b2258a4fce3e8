// Fitting a slide into a rectangle and the mapping onto a device.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "slide/slide_fit.h"

namespace {

using namespace lanterna;

TEST(SlideFitting, ScaleIsTheSmallerOfTheTwoAndOffsetsCentre) {
  FitSlide(600, 200, {0, 0, 300, 200});
  EXPECT_FLOAT_EQ(CurrentFit().scale, 0.5f);
  EXPECT_EQ(CurrentFit().offsetX, 0);
  EXPECT_EQ(CurrentFit().offsetY, 100);

  FitSlide(200, 100, {0, 0, 400, 400});
  EXPECT_FLOAT_EQ(CurrentFit().scale, 2.0f);
  EXPECT_EQ(CurrentFit().offsetX, 0);
  EXPECT_EQ(CurrentFit().offsetY, 50);

  // Offsets are the free space on each side, floored, divided by the scale, truncated.
  FitSlide(3, 1, {0, 0, 10, 10});
  EXPECT_FLOAT_EQ(CurrentFit().scale, 10.0f / 3.0f);
  EXPECT_EQ(CurrentFit().offsetX, 0);
  EXPECT_EQ(CurrentFit().offsetY, 0);  // floor(10 - 3.33) * 0.5 / 3.33 = 0.9, truncated
  FitSlide(4, 1, {0, 0, 10, 10});
  EXPECT_EQ(CurrentFit().offsetY, 1);  // floor(10 - 2.5) * 0.5 / 2.5 = 1.4
}

TEST(SlideFitting, EmptyTargetAndEmptySlideKeepAFiniteScale) {
  FitSlide(600, 200, {0, 0, 0, 0});
  EXPECT_FLOAT_EQ(CurrentFit().scale, 1.0f);
  FitSlide(0, 200, {0, 0, 100, 100});
  EXPECT_FLOAT_EQ(CurrentFit().scale, 1.0f);
  EXPECT_EQ(CurrentFit().offsetX, 0);
  FitSlide(100, 0, {0, 0, 100, 100});
  EXPECT_FLOAT_EQ(CurrentFit().scale, 1.0f);
}

struct Device {
  gdi::Bitmap surface;
  std::unique_ptr<gdi::DeviceContext> dc;
  Device(int w, int h) {
    surface.width = w, surface.height = h;
    surface.pixels.assign(static_cast<size_t>(w) * h, 0xFFFFFF);
    dc = gdi::CreateRasterDC(&surface, gdi::DeviceCaps::TrueColour());
  }
  gdi::POINT At(int x, int y) {
    gdi::POINT p{x, y};
    gdi::LPtoDP(dc.get(), &p, 1);
    return p;
  }
};

TEST(SlideMapping, SlidePointsLandCentredAndUpright) {
  Device d(300, 200);
  FitSlide(600, 200, {0, 0, 300, 200});
  ApplyWindowMapping(d.dc.get(), nullptr);
  EXPECT_EQ(d.At(0, 200).y, 50);  // the slide's top edge
  EXPECT_EQ(d.At(0, 0).y, 150);   // its bottom edge
  EXPECT_EQ(d.At(0, 0).x, 0);
  EXPECT_EQ(d.At(600, 0).x, 300);

  Device e(400, 400);
  FitSlide(200, 100, {0, 0, 400, 400});
  ApplyWindowMapping(e.dc.get(), nullptr);
  EXPECT_EQ(e.At(0, 100).y, 100);
  EXPECT_EQ(e.At(0, 0).y, 300);
}

TEST(SlideMapping, ZoomAnchorsTheTopLeftCornerAndPanShifts) {
  FitSlide(200, 100, {0, 0, 400, 400});
  const SlideFit f = CurrentFit();
  for (uint8_t zoom : {0, 1, 3, 15}) {
    Device d(400, 400);
    ViewState view;
    view.zoom = zoom;
    ApplyWindowMapping(d.dc.get(), &view);
    const gdi::POINT corner = d.At(-f.offsetX, f.slideHeight + f.offsetY);
    EXPECT_EQ(corner.x, 0) << int(zoom);
    EXPECT_EQ(corner.y, 0) << int(zoom);
  }
  Device z(400, 400);
  ViewState three;
  three.zoom = 3;
  ApplyWindowMapping(z.dc.get(), &three);
  // Window extent trunc(200 / 3) = 66: the scale is 400 / 66, about three times 2.
  EXPECT_EQ(z.At(10, 100).x, 61);

  Device plain(400, 400), panned(400, 400);
  ViewState view;
  ApplyWindowMapping(plain.dc.get(), &view);
  view.panX = 10, view.panY = 20;
  ApplyWindowMapping(panned.dc.get(), &view);
  EXPECT_EQ(panned.At(50, 50).x, plain.At(50, 50).x - 10);
  EXPECT_EQ(panned.At(50, 50).y, plain.At(50, 50).y - 20);
}

// A 65535-unit slide in one pixel panned a million pixels: the origin stops at the ends of the
// 32-bit range instead of overflowing.
TEST(SlideMapping, FarPansKeepTheOriginWithinTheIntegerRange) {
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  struct Case {
    int32_t pan, originX, originY;
  };
  for (const Case& c : {Case{-1000000, kMin, kMax}, Case{1000000, kMax, kMin + 65535}}) {
    FitSlide(65535, 65535, {0, 0, 1, 1});
    Device d(1, 1);
    ViewState view;
    view.panX = view.panY = c.pan;
    ApplyWindowMapping(d.dc.get(), &view);
    EXPECT_EQ(d.dc->Map().windowOrg.x, c.originX) << c.pan;
    EXPECT_EQ(d.dc->Map().windowOrg.y, c.originY) << c.pan;
  }
}

TEST(SlideMapping, MetafileMappingSetsOnlyTheWindow) {
  auto metafile = gdi::CreateMetafileDC();
  FitSlide(640, 480, {0, 0, 100, 100});
  ApplyMetafileMapping(metafile.get());
  EXPECT_EQ(metafile->Map().windowExt.cx, 640);
  EXPECT_EQ(metafile->Map().windowExt.cy, -480);
  EXPECT_EQ(metafile->Map().windowOrg.x, 0);
  EXPECT_EQ(metafile->Map().windowOrg.y, 480);
  EXPECT_EQ(metafile->Map().mode, gdi::MM_TEXT);
}

}  // namespace
