#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "platform/gdi/deferred_drawing.h"
#include "platform/gdi/gdi.h"

namespace gdi {
namespace {

constexpr int kWidth = 640, kHeight = 480;

// What a drawing looked like halfway, read through a copy, and at its end.
struct Pictures {
  PixelVector halfway, end;
};

// Enough lines, fills and points of many colours and pens to fill several batches, so that a
// second thread draws some of them while the rest are still being given.
Pictures DrawMix() {
  Bitmap* surface = static_cast<Bitmap*>(CreateBitmap(kWidth, kHeight, 1, 32, nullptr));
  std::unique_ptr<DeviceContext> dc = CreateRasterDC(surface, DeviceCaps::TrueColour());
  BitBlt(dc.get(), 0, 0, kWidth, kHeight, nullptr, 0, 0, WHITENESS);
  std::mt19937 random(7);
  auto coordinate = [&](int size) { return static_cast<int>(random() % (size + 200)) - 100; };
  Pictures out;
  HGDIOBJ pen = nullptr, brush = nullptr, firstPen = nullptr, firstBrush = nullptr;
  for (int i = 0; i < 20000; ++i) {
    const COLORREF colour = RGB(random() % 256, random() % 256, random() % 256);
    if (i % 500 == 0) {
      HGDIOBJ oldPen = SelectObject(dc.get(), pen = CreatePen(PS_SOLID, 1 + random() % 4, colour));
      HGDIOBJ oldBrush = SelectObject(dc.get(), brush = CreateSolidBrush(colour));
      if (i == 0) {
        firstPen = oldPen;
        firstBrush = oldBrush;
      } else {
        DeleteObject(oldPen);
        DeleteObject(oldBrush);
      }
    }
    const int x = coordinate(kWidth), y = coordinate(kHeight);
    if (i % 97 == 0) {
      POINT polygon[5];
      for (POINT& p : polygon) p = {coordinate(kWidth), coordinate(kHeight)};
      Polygon(dc.get(), polygon, 5);
    } else if (i % 31 == 0) {
      SetPixel(dc.get(), x, y, colour);
    } else {
      MoveToEx(dc.get(), x, y, nullptr);
      LineTo(dc.get(), x + coordinate(60) - 30, y + coordinate(60) - 30);
    }
    if (i == 10000) {
      Bitmap copy;
      copy.width = kWidth;
      copy.height = kHeight;
      copy.pixels.assign(surface->pixels.size(), 0);
      std::unique_ptr<DeviceContext> reader = CreateRasterDC(&copy, DeviceCaps::TrueColour());
      BitBlt(reader.get(), 0, 0, kWidth, kHeight, dc.get(), 0, 0, SRCCOPY);
      out.halfway = copy.pixels;
    }
  }
  dc->Flush();
  out.end = surface->pixels;
  SelectObject(dc.get(), firstPen);
  SelectObject(dc.get(), firstBrush);
  DeleteObject(pen);
  DeleteObject(brush);
  dc.reset();
  DeleteObject(surface);
  return out;
}

// One thread drawing everything, and two each drawing a band of rows.
TEST(GdiDeferredDrawing, GivesThePicturesDrawnAtOnce) {
  const Pictures atOnce = DrawMix();
  EXPECT_FALSE(atOnce.halfway == atOnce.end);
  for (int bands : {1, 2}) {
    Pictures deferred;
    {
      raster::DeferredDrawing on(true, bands);
      deferred = DrawMix();
    }
    EXPECT_TRUE(atOnce.halfway == deferred.halfway) << bands << " bands";
    EXPECT_TRUE(atOnce.end == deferred.end) << bands << " bands";
  }
}

}  // namespace
}  // namespace gdi
