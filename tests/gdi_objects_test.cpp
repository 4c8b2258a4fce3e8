#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

#include "platform/gdi/gdi.h"

namespace gdi {
namespace {

HPALETTE MakePalette(std::initializer_list<COLORREF> colours) {
  LOGPALETTE lp;
  for (COLORREF c : colours) {
    lp.palPalEntry[lp.palNumEntries++] = {static_cast<uint8_t>(GetRValue(c)),
                                          static_cast<uint8_t>(GetGValue(c)),
                                          static_cast<uint8_t>(GetBValue(c)), 0};
  }
  return CreatePalette(&lp);
}

TEST(GdiObjects, StockSelectionsAndSelectionRules) {
  auto dc = CreateRasterDC(nullptr, DeviceCaps::TrueColour());
  EXPECT_EQ(dc->CurrentPen(), GetStockObject(BLACK_PEN));
  EXPECT_EQ(dc->CurrentBrush()->color, RGB(255, 255, 255));
  const auto& stock = dc->CurrentPalette()->entries;
  ASSERT_EQ(stock.size(), 20u);
  EXPECT_EQ(stock[8].peGreen, 220);  // money green
  EXPECT_EQ(stock[11].peBlue, 164);  // medium grey

  HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
  HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
  HPALETTE pal = MakePalette({RGB(1, 2, 3)});
  EXPECT_EQ(SelectObject(dc.get(), pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc.get(), brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc.get(), pal), nullptr);  // palettes need SelectPalette
  EXPECT_EQ(SelectObject(nullptr, pen), nullptr);
  // Deleting what is selected puts the stock object back instead of leaving it dangling.
  EXPECT_EQ(DeleteObject(pen), 1);
  EXPECT_EQ(DeleteObject(brush), 1);
  EXPECT_EQ(dc->CurrentPen(), GetStockObject(BLACK_PEN));
  EXPECT_EQ(dc->CurrentBrush(), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(DeleteObject(pal), 1);
  EXPECT_EQ(DeleteObject(GetStockObject(BLACK_PEN)), 1);
  EXPECT_EQ(DeleteObject(nullptr), 0);
  EXPECT_EQ(CreateBitmap(0, 5, 1, 32, nullptr), nullptr);
}

TEST(GdiObjects, MemoryContextsDrawOnTheSelectedBitmap) {
  Bitmap screenSurface;
  auto screen = CreateRasterDC(&screenSurface, DeviceCaps::Palette256());
  HDC memory = CreateCompatibleDC(screen.get());
  EXPECT_EQ(GetDeviceCaps(memory, SIZEPALETTE), 256);
  Bitmap* stock = memory->Surface();
  ASSERT_NE(stock, nullptr);
  EXPECT_EQ(stock->width * stock->height, 1);
  HBITMAP a = CreateBitmap(8, 8, 1, 32, nullptr), b = CreateBitmap(4, 4, 1, 32, nullptr);
  EXPECT_EQ(a->pixels[63], RGB(0, 0, 0));
  EXPECT_EQ(SelectObject(memory, a), stock);
  SetPixel(memory, 5, 6, RGB(255, 255, 255));
  EXPECT_EQ(a->At(5, 6), RGB(255, 255, 255));
  EXPECT_EQ(SelectObject(memory, b), a);
  EXPECT_EQ(GetPixel(memory, 5, 6), CLR_INVALID);
  DeleteObject(b);
  EXPECT_EQ(memory->Surface(), stock);
  // Only memory contexts take bitmaps.
  EXPECT_EQ(SelectObject(screen.get(), a), nullptr);
  EXPECT_EQ(screen->Surface(), &screenSurface);
  EXPECT_EQ(SelectObject(CreateMetafileDC().get(), a), nullptr);
  DeleteObject(a);
  EXPECT_EQ(DeleteDC(memory), 1);
  EXPECT_EQ(DeleteDC(CreateMetafileDC().release()), 1);
}

TEST(GdiObjects, TrueColourShowsTheRgb) {
  auto dc = CreateRasterDC(nullptr, DeviceCaps::TrueColour());
  EXPECT_EQ(dc->Resolve(PALETTERGB(130, 131, 132)), RGB(130, 131, 132));
  EXPECT_EQ(dc->Resolve(PALETTEINDEX(9)), RGB(166, 202, 240));
  HPALETTE pal = MakePalette({RGB(10, 0, 0), RGB(0, 20, 0)});
  SelectPalette(dc.get(), pal, 1);
  EXPECT_EQ(dc->Resolve(PALETTEINDEX(1)), RGB(0, 20, 0));
  EXPECT_EQ(dc->Resolve(PALETTEINDEX(2)), RGB(10, 0, 0));  // past the end: entry 0
  DeleteObject(pal);
}

class GdiPaletteDevice : public ::testing::Test {
 protected:
  GdiPaletteDevice() {
    surface_.width = surface_.height = 4;
    surface_.pixels.assign(16, 0);
    SelectPalette(dc(), pal_, 0);
  }
  ~GdiPaletteDevice() override {
    dc_.reset();
    DeleteObject(pal_);
  }
  HDC dc() { return dc_.get(); }
  Bitmap surface_;
  std::unique_ptr<DeviceContext> dc_ = CreateRasterDC(&surface_, DeviceCaps::Palette256());
  HPALETTE pal_ = MakePalette({RGB(0, 0, 0), RGB(100, 100, 100), RGB(130, 130, 130),
                               RGB(100, 100, 100), RGB(250, 10, 10), RGB(150, 150, 150)});
};

TEST_F(GdiPaletteDevice, PaletteRgbTakesTheNearestEntry) {
  EXPECT_EQ(dc_->Resolve(PALETTERGB(128, 128, 128)), RGB(130, 130, 130));
  EXPECT_EQ(dc_->Resolve(PALETTERGB(255, 0, 0)), RGB(250, 10, 10));
  EXPECT_EQ(GetNearestPaletteIndex(pal_, RGB(125, 125, 125)), 2u);
  EXPECT_EQ(GetNearestPaletteIndex(pal_, RGB(95, 95, 95)), 1u);  // 1 and 3 tie
  EXPECT_EQ(dc_->Resolve(PALETTEINDEX(5)), RGB(150, 150, 150));
}

TEST_F(GdiPaletteDevice, PlainRgbOnlyGetsTheStaticColours) {
  EXPECT_EQ(dc_->Resolve(RGB(130, 130, 130)), RGB(128, 128, 128));  // not the exact entry
  EXPECT_EQ(dc_->Resolve(RGB(250, 10, 10)), RGB(255, 0, 0));
  EXPECT_EQ(dc_->Resolve(RGB(190, 218, 190)), RGB(192, 220, 192));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(10, 10, 140));
  SelectObject(dc(), pen);
  MoveToEx(dc(), 0, 0, nullptr);
  LineTo(dc(), 2, 0);
  EXPECT_EQ(surface_.At(1, 0), RGB(0, 0, 128));
  DeleteObject(pen);
}

TEST_F(GdiPaletteDevice, ChangingThePaletteChangesWhatAReferenceShows) {
  EXPECT_EQ(RealizePalette(dc()), 6u);
  EXPECT_EQ(dc_->Resolve(PALETTERGB(255, 0, 0)), RGB(250, 10, 10));
  HPALETTE other = MakePalette({RGB(255, 255, 255), RGB(200, 0, 0)});
  EXPECT_EQ(SelectPalette(dc(), other, 0), pal_);
  EXPECT_EQ(dc_->Resolve(PALETTERGB(255, 0, 0)), RGB(200, 0, 0));
  other->entries[1] = {255, 0, 0, 0};  // edited in place, then realized again
  RealizePalette(dc());
  EXPECT_EQ(dc_->Resolve(PALETTERGB(255, 0, 0)), RGB(255, 0, 0));
  DeleteObject(other);
  EXPECT_EQ(dc_->CurrentPalette(), GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(dc()), 0u);
  EXPECT_EQ(dc_->Resolve(PALETTERGB(255, 0, 0)), RGB(255, 0, 0));
}

}  // namespace
}  // namespace gdi
