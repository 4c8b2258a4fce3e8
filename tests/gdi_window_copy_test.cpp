// Window contexts put off copies from memory bitmaps: what the window ends up holding is what
// an immediate copy would have given, whatever happens in between.
#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"

namespace {

using namespace gdi;

struct Window {
  Window() {
    surface.width = 8;
    surface.height = 6;
    surface.pixels.assign(48, RGB(255, 255, 255));
    dc = CreateWindowRasterDC(&surface, DeviceCaps::TrueColour());
  }
  Bitmap surface;
  std::unique_ptr<DeviceContext> dc;
};

// A memory context with a bitmap of its own, filled with one colour.
struct Memory {
  explicit Memory(COLORREF colour) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateBitmap(8, 6, 1, 32, nullptr);
    SelectObject(dc, bitmap);
    Fill(colour);
  }
  ~Memory() {
    DeleteDC(dc);
    if (bitmap) DeleteObject(bitmap);
  }
  void Fill(COLORREF colour) {
    for (auto& p : bitmap->pixels) p = colour;
  }
  HDC dc;
  HBITMAP bitmap;
};

TEST(WindowCopy, PutOffUntilTheContextGoesAndShowsTheLatestPicture) {
  Window w;
  Memory m(RGB(1, 2, 3));
  BitBlt(w.dc.get(), 0, 0, 8, 6, m.dc, 0, 0, SRCCOPY);
  ASSERT_NE(PendingCopyOf(w.dc.get()), nullptr);
  EXPECT_EQ(w.surface.At(0, 0), RGB(255, 255, 255));
  // A second copy of the same picture to the same place replaces the first.
  m.Fill(RGB(9, 9, 9));
  BitBlt(w.dc.get(), 0, 0, 8, 6, m.dc, 0, 0, SRCCOPY);
  w.dc.reset();
  EXPECT_EQ(w.surface.At(7, 5), RGB(9, 9, 9));
}

TEST(WindowCopy, ReadingOrDrawingOnTheWindowMakesThePendingCopyFirst) {
  Window w;
  Memory m(RGB(1, 2, 3));
  BitBlt(w.dc.get(), 2, 1, 3, 3, m.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(w.dc.get(), 2, 1), RGB(1, 2, 3));
  EXPECT_EQ(PendingCopyOf(w.dc.get()), nullptr);
  EXPECT_EQ(w.surface.At(1, 1), RGB(255, 255, 255));
  EXPECT_EQ(w.surface.At(5, 1), RGB(255, 255, 255));

  // A line over a pending copy lands on top of it.
  BitBlt(w.dc.get(), 0, 0, 8, 6, m.dc, 0, 0, SRCCOPY);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 0, 0));
  HGDIOBJ old = SelectObject(w.dc.get(), pen);
  MoveToEx(w.dc.get(), 0, 0, nullptr);
  LineTo(w.dc.get(), 8, 0);
  SelectObject(w.dc.get(), old);
  DeleteObject(pen);
  EXPECT_EQ(w.surface.At(3, 0), RGB(200, 0, 0));
  EXPECT_EQ(w.surface.At(3, 1), RGB(1, 2, 3));
}

TEST(WindowCopy, CopiesFromDifferentPlacesOrSourcesAllLand) {
  Window w;
  Memory a(RGB(10, 0, 0)), b(RGB(0, 20, 0));
  BitBlt(w.dc.get(), 0, 0, 4, 6, a.dc, 0, 0, SRCCOPY);
  BitBlt(w.dc.get(), 4, 0, 4, 6, b.dc, 0, 0, SRCCOPY);
  w.dc->Flush();
  EXPECT_EQ(w.surface.At(0, 0), RGB(10, 0, 0));
  EXPECT_EQ(w.surface.At(7, 0), RGB(0, 20, 0));
}

TEST(WindowCopy, ASourceBitmapDeletedWhilePendingIsCopiedFirst) {
  Window w;
  {
    Memory m(RGB(4, 5, 6));
    BitBlt(w.dc.get(), 0, 0, 8, 6, m.dc, 0, 0, SRCCOPY);
    ASSERT_NE(PendingCopyOf(w.dc.get()), nullptr);
  }  // the bitmap is deleted here
  EXPECT_EQ(PendingCopyOf(w.dc.get()), nullptr);
  EXPECT_EQ(w.surface.At(4, 3), RGB(4, 5, 6));
}

TEST(WindowCopy, TheWindowAsASourceGivesItsCompletedPixels) {
  Window w;
  Memory m(RGB(7, 7, 7));
  BitBlt(w.dc.get(), 0, 0, 8, 6, m.dc, 0, 0, SRCCOPY);
  Memory back(RGB(0, 0, 0));
  BitBlt(back.dc, 0, 0, 8, 6, w.dc.get(), 0, 0, SRCCOPY);
  EXPECT_EQ(back.bitmap->At(2, 2), RGB(7, 7, 7));
  // Memory contexts copy at once.
  m.Fill(RGB(8, 8, 8));
  BitBlt(back.dc, 0, 0, 8, 6, m.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(back.bitmap->At(2, 2), RGB(8, 8, 8));
}

}  // namespace
