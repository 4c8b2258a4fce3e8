#include <gtest/gtest.h>

#include <memory>

#include "platform/gdi/gdi.h"

namespace gdi {
namespace {

Bitmap WhiteSurface(int w, int h) {
  Bitmap b;
  b.width = w;
  b.height = h;
  b.pixels.assign(static_cast<size_t>(w) * h, RGB(255, 255, 255));
  return b;
}

COLORREF EntryRgb(const PALETTEENTRY& e) { return RGB(e.peRed, e.peGreen, e.peBlue); }

// A palette holding exactly the given colours.
HPALETTE MakePalette(std::initializer_list<COLORREF> colours) {
  LOGPALETTE lp;
  for (COLORREF c : colours) {
    lp.palPalEntry[lp.palNumEntries++] = {static_cast<uint8_t>(GetRValue(c)),
                                          static_cast<uint8_t>(GetGValue(c)),
                                          static_cast<uint8_t>(GetBValue(c)), 0};
  }
  return CreatePalette(&lp);
}

TEST(GdiObjects, NewContextsHoldTheStockObjects) {
  Bitmap surface = WhiteSurface(1, 1);
  auto dc = CreateRasterDC(&surface, DeviceCaps::TrueColour());
  ASSERT_EQ(dc->CurrentPen(), GetStockObject(BLACK_PEN));
  EXPECT_EQ(dc->CurrentPen()->style, PS_SOLID);
  EXPECT_EQ(dc->CurrentPen()->width, 1);
  EXPECT_EQ(dc->CurrentPen()->color, RGB(0, 0, 0));
  ASSERT_EQ(dc->CurrentBrush(), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(dc->CurrentBrush()->color, RGB(255, 255, 255));
  EXPECT_FALSE(dc->CurrentBrush()->hollow);

  const auto& entries = dc->CurrentPalette()->entries;
  ASSERT_EQ(entries.size(), 20u);
  EXPECT_EQ(EntryRgb(entries[0]), RGB(0, 0, 0));
  EXPECT_EQ(EntryRgb(entries[7]), RGB(192, 192, 192));
  EXPECT_EQ(EntryRgb(entries[8]), RGB(192, 220, 192));
  EXPECT_EQ(EntryRgb(entries[9]), RGB(166, 202, 240));
  EXPECT_EQ(EntryRgb(entries[10]), RGB(255, 251, 240));
  EXPECT_EQ(EntryRgb(entries[11]), RGB(160, 160, 164));
  EXPECT_EQ(EntryRgb(entries[12]), RGB(128, 128, 128));
  EXPECT_EQ(EntryRgb(entries[19]), RGB(255, 255, 255));
}

TEST(GdiObjects, StockObjectsSurviveDeletion) {
  HGDIOBJ pen = GetStockObject(BLACK_PEN);
  EXPECT_EQ(DeleteObject(pen), 1);
  EXPECT_EQ(GetStockObject(BLACK_PEN), pen);
  EXPECT_EQ(static_cast<HPEN>(pen)->color, RGB(0, 0, 0));
  EXPECT_EQ(DeleteObject(nullptr), 0);
  EXPECT_EQ(GetStockObject(12345), nullptr);
}

TEST(GdiObjects, BitmapsStartBlackAndNeedAnArea) {
  HBITMAP b = CreateBitmap(3, 2, 1, 8, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->width, 3);
  EXPECT_EQ(b->height, 2);
  EXPECT_EQ(b->bitsPixel, 8);
  ASSERT_EQ(b->pixels.size(), 6u);
  for (COLORREF p : b->pixels) EXPECT_EQ(p, RGB(0, 0, 0));
  DeleteObject(b);
  EXPECT_EQ(CreateBitmap(0, 5, 1, 32, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(5, -1, 1, 32, nullptr), nullptr);
}

TEST(GdiObjects, SelectionReturnsThePreviousObjectOfTheSameKind) {
  Bitmap surface = WhiteSurface(1, 1);
  auto dc = CreateRasterDC(&surface, DeviceCaps::TrueColour());
  HPEN red = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
  HPEN blue = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  EXPECT_EQ(SelectObject(dc.get(), red), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc.get(), green), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc.get(), blue), red);
  EXPECT_EQ(dc->CurrentBrush(), green);

  HPALETTE pal = MakePalette({RGB(1, 2, 3)});
  EXPECT_EQ(SelectObject(dc.get(), pal), nullptr);
  EXPECT_NE(dc->CurrentPalette(), pal);
  EXPECT_EQ(SelectObject(nullptr, red), nullptr);
  EXPECT_EQ(SelectObject(dc.get(), nullptr), nullptr);

  SelectObject(dc.get(), GetStockObject(BLACK_PEN));
  SelectObject(dc.get(), GetStockObject(WHITE_BRUSH));
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(red), static_cast<HGDIOBJ>(blue),
                    static_cast<HGDIOBJ>(green), static_cast<HGDIOBJ>(pal)}) {
    EXPECT_EQ(DeleteObject(o), 1);
  }
}

TEST(GdiObjects, DeletingASelectedObjectLeavesTheStockOneSelected) {
  Bitmap surface = WhiteSurface(4, 1);
  auto dc = CreateRasterDC(&surface, DeviceCaps::Palette256());
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HPALETTE pal = MakePalette({RGB(10, 20, 30)});
  SelectObject(dc.get(), pen);
  SelectPalette(dc.get(), pal, 0);
  EXPECT_EQ(dc->Resolve(PALETTERGB(0, 0, 0)), RGB(10, 20, 30));
  DeleteObject(pen);
  DeleteObject(pal);
  EXPECT_EQ(dc->CurrentPen(), GetStockObject(BLACK_PEN));
  EXPECT_EQ(dc->CurrentPalette(), GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(dc->Resolve(PALETTERGB(0, 0, 0)), RGB(0, 0, 0));
  MoveToEx(dc.get(), 0, 0, nullptr);
  LineTo(dc.get(), 4, 0);
  EXPECT_EQ(surface.At(3, 0), RGB(0, 0, 0));
}

TEST(GdiObjects, DeviceCapsComeFromTheDevice) {
  Bitmap surface = WhiteSurface(1, 1);
  auto screen = CreateRasterDC(&surface, DeviceCaps::Palette256());
  EXPECT_EQ(GetDeviceCaps(screen.get(), SIZEPALETTE), 256);
  EXPECT_EQ(GetDeviceCaps(screen.get(), BITSPIXEL), 8);
  EXPECT_EQ(GetDeviceCaps(screen.get(), PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(screen.get(), 999), 0);
  EXPECT_EQ(GetDeviceCaps(nullptr, SIZEPALETTE), 0);
  HDC memory = CreateCompatibleDC(screen.get());
  EXPECT_EQ(GetDeviceCaps(memory, SIZEPALETTE), 256);
  EXPECT_EQ(DeleteDC(memory), 1);
  auto metafile = CreateMetafileDC();
  EXPECT_EQ(GetDeviceCaps(metafile.get(), SIZEPALETTE), 0);
}

TEST(GdiMemoryDC, StartsOnAOnePixelBitmapOfItsOwn) {
  Bitmap surface = WhiteSurface(2, 2);
  auto screen = CreateRasterDC(&surface, DeviceCaps::TrueColour());
  HDC memory = CreateCompatibleDC(screen.get());
  ASSERT_NE(memory->Surface(), nullptr);
  EXPECT_EQ(memory->Surface()->width, 1);
  EXPECT_EQ(memory->Surface()->height, 1);
  EXPECT_NE(memory->Surface(), &surface);
  SetPixel(memory, 0, 0, RGB(9, 9, 9));
  SetPixel(memory, 1, 1, RGB(9, 9, 9));
  EXPECT_EQ(surface.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(DeleteObject(memory->Surface()), 1);  // stock: stays
  EXPECT_EQ(memory->Surface()->width, 1);
  DeleteDC(memory);
}

TEST(GdiMemoryDC, SelectingABitmapMakesItTheSurface) {
  Bitmap surface = WhiteSurface(2, 2);
  auto screen = CreateRasterDC(&surface, DeviceCaps::TrueColour());
  HDC memory = CreateCompatibleDC(screen.get());
  Bitmap* stock = memory->Surface();
  HBITMAP first = CreateBitmap(8, 8, 1, 32, nullptr);
  HBITMAP second = CreateBitmap(4, 4, 1, 32, nullptr);
  EXPECT_EQ(SelectObject(memory, first), stock);
  SetPixel(memory, 5, 6, RGB(1, 2, 3));
  EXPECT_EQ(first->At(5, 6), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(memory, 5, 6), RGB(1, 2, 3));
  EXPECT_EQ(SelectObject(memory, second), first);
  EXPECT_EQ(GetPixel(memory, 5, 6), CLR_INVALID);  // outside the 4x4 bitmap

  // Deleting the selected bitmap puts the stock one back rather than leaving it dangling.
  DeleteObject(second);
  EXPECT_EQ(memory->Surface(), stock);
  EXPECT_EQ(SelectObject(memory, stock), stock);
  DeleteObject(first);
  DeleteDC(memory);
  EXPECT_EQ(DeleteDC(nullptr), 0);
}

TEST(GdiMemoryDC, BitmapsCannotBeSelectedIntoOtherContexts) {
  Bitmap surface = WhiteSurface(2, 2);
  auto screen = CreateRasterDC(&surface, DeviceCaps::TrueColour());
  auto metafile = CreateMetafileDC();
  HBITMAP b = CreateBitmap(4, 4, 1, 32, nullptr);
  EXPECT_EQ(SelectObject(screen.get(), b), nullptr);
  EXPECT_EQ(screen->Surface(), &surface);
  EXPECT_EQ(SelectObject(metafile.get(), b), nullptr);
  DeleteObject(b);
  // Handing a created context to DeleteDC frees it as well.
  EXPECT_EQ(DeleteDC(CreateRasterDC(&surface, DeviceCaps::TrueColour()).release()), 1);
}

TEST(GdiPalette, TrueColourShowsReferencesAsTheirRgb) {
  Bitmap surface = WhiteSurface(1, 1);
  auto dc = CreateRasterDC(&surface, DeviceCaps::TrueColour());
  EXPECT_EQ(dc->Resolve(RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(dc->Resolve(PALETTERGB(130, 131, 132)), RGB(130, 131, 132));
  EXPECT_EQ(dc->Resolve(PALETTEINDEX(8)), RGB(192, 220, 192));  // default palette
  HPALETTE pal = MakePalette({RGB(10, 0, 0), RGB(0, 20, 0), RGB(0, 0, 30)});
  SelectPalette(dc.get(), pal, 1);
  EXPECT_EQ(dc->Resolve(PALETTEINDEX(2)), RGB(0, 0, 30));
  EXPECT_EQ(dc->Resolve(PALETTEINDEX(3)), RGB(10, 0, 0));  // past the end: entry 0
  DeleteObject(pal);
}

TEST(GdiPalette, NearestEntryIsTheClosestAndTheLowestOnTies) {
  HPALETTE pal = MakePalette({RGB(0, 0, 0), RGB(100, 100, 100), RGB(200, 200, 200),
                              RGB(100, 100, 100), RGB(150, 150, 150)});
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(90, 110, 100)), 1u);
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(125, 125, 125)), 1u);  // 1 and 4 equally far
  EXPECT_EQ(GetNearestPaletteIndex(pal, PALETTERGB(190, 190, 190)), 2u);
  EXPECT_EQ(GetNearestPaletteIndex(nullptr, 0), CLR_INVALID);
  DeleteObject(pal);
}

class GdiPaletteDevice : public ::testing::Test {
 protected:
  GdiPaletteDevice()
      : surface_(WhiteSurface(8, 8)), dc_(CreateRasterDC(&surface_, DeviceCaps::Palette256())) {
    pal_ = MakePalette({RGB(0, 0, 0), RGB(130, 130, 130), RGB(250, 10, 10), RGB(40, 80, 160)});
    SelectPalette(dc_.get(), pal_, 0);
  }
  ~GdiPaletteDevice() override {
    dc_.reset();
    DeleteObject(pal_);
  }
  Bitmap surface_;
  std::unique_ptr<DeviceContext> dc_;
  HPALETTE pal_;
};

TEST_F(GdiPaletteDevice, PaletteRelativeMatchesTheSelectedPalette) {
  EXPECT_EQ(dc_->Resolve(PALETTERGB(128, 128, 128)), RGB(130, 130, 130));
  EXPECT_EQ(dc_->Resolve(PALETTERGB(255, 0, 0)), RGB(250, 10, 10));
  EXPECT_EQ(dc_->Resolve(PALETTERGB(50, 90, 150)), RGB(40, 80, 160));
}

TEST_F(GdiPaletteDevice, PlainRgbOnlyGetsTheStaticColours) {
  // Even where the selected palette has the exact colour.
  EXPECT_EQ(dc_->Resolve(RGB(130, 130, 130)), RGB(128, 128, 128));
  EXPECT_EQ(dc_->Resolve(RGB(250, 10, 10)), RGB(255, 0, 0));
  EXPECT_EQ(dc_->Resolve(RGB(190, 218, 190)), RGB(192, 220, 192));
  EXPECT_EQ(dc_->Resolve(RGB(10, 10, 140)), RGB(0, 0, 128));
}

TEST_F(GdiPaletteDevice, PaletteIndexTakesTheEntry) {
  EXPECT_EQ(dc_->Resolve(PALETTEINDEX(3)), RGB(40, 80, 160));
  EXPECT_EQ(dc_->Resolve(PALETTEINDEX(200)), RGB(0, 0, 0));
}

TEST_F(GdiPaletteDevice, AnotherPaletteChangesWhatTheSameReferenceShows) {
  EXPECT_EQ(dc_->Resolve(PALETTERGB(255, 0, 0)), RGB(250, 10, 10));
  HPALETTE other = MakePalette({RGB(255, 255, 255), RGB(200, 0, 0)});
  EXPECT_EQ(SelectPalette(dc_.get(), other, 0), pal_);
  EXPECT_EQ(dc_->Resolve(PALETTERGB(255, 0, 0)), RGB(200, 0, 0));
  // Entries edited in place show after the palette is realized again.
  other->entries[1] = {255, 0, 0, 0};
  RealizePalette(dc_.get());
  EXPECT_EQ(dc_->Resolve(PALETTERGB(255, 0, 0)), RGB(255, 0, 0));
  SelectPalette(dc_.get(), pal_, 0);
  DeleteObject(other);
}

TEST_F(GdiPaletteDevice, RealizeCountsTheEntriesOfTheSelectedPalette) {
  EXPECT_EQ(RealizePalette(dc_.get()), 4u);
  HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(SelectPalette(dc_.get(), stock, 0), pal_);
  EXPECT_EQ(RealizePalette(dc_.get()), 0u);
  EXPECT_EQ(SelectPalette(dc_.get(), nullptr, 0), nullptr);
  EXPECT_EQ(dc_->CurrentPalette(), stock);
}

TEST_F(GdiPaletteDevice, PensDrawInTheColourTheDeviceShows) {
  HPEN pen = CreatePen(PS_SOLID, 1, PALETTERGB(60, 70, 170));
  SelectObject(dc_.get(), pen);
  MoveToEx(dc_.get(), 0, 0, nullptr);
  LineTo(dc_.get(), 3, 0);
  EXPECT_EQ(surface_.At(2, 0), RGB(40, 80, 160));
  EXPECT_EQ(SetPixel(dc_.get(), 5, 5, RGB(250, 250, 250)), RGB(255, 255, 255));
  EXPECT_EQ(SetPixel(dc_.get(), 6, 5, RGB(1, 1, 1)), RGB(0, 0, 0));
  EXPECT_EQ(surface_.At(6, 5), RGB(0, 0, 0));
  SelectObject(dc_.get(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

}  // namespace
}  // namespace gdi
