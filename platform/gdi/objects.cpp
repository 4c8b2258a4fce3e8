// Pens, brushes, bitmaps and palettes: creation, deletion and the stock set.
#include <algorithm>
#include <cstddef>
#include <new>

#include "platform/gdi/gdi.h"

namespace gdi {

namespace {

// Larger bitmaps are refused rather than risking an allocation that cannot be backed.
constexpr size_t kMaxBitmapPixels = size_t{1} << 28;

// The twenty static colours every palette device reserves.
constexpr PALETTEENTRY kStaticColours[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

template <typename T>
T MakeStock() {
  T object;
  object.stock = true;
  return object;
}

Pen& StockPen(int style) {
  static Pen black = [] {
    Pen p = MakeStock<Pen>();
    p.color = RGB(0, 0, 0);
    return p;
  }();
  static Pen null = [] {
    Pen p = MakeStock<Pen>();
    p.style = PS_NULL;
    return p;
  }();
  return style == PS_NULL ? null : black;
}

Brush& StockBrush(bool hollow) {
  static Brush white = [] {
    Brush b = MakeStock<Brush>();
    b.color = RGB(255, 255, 255);
    return b;
  }();
  static Brush null = [] {
    Brush b = MakeStock<Brush>();
    b.hollow = true;
    return b;
  }();
  return hollow ? null : white;
}

Palette& StockPalette() {
  static Palette palette = [] {
    Palette p = MakeStock<Palette>();
    p.entries.assign(std::begin(kStaticColours), std::end(kStaticColours));
    return p;
  }();
  return palette;
}

}  // namespace

HPEN CreatePen(int style, int width, COLORREF color) {
  auto* pen = new Pen;
  pen->style = style;
  pen->width = width;
  pen->color = color;
  return pen;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* brush = new Brush;
  brush->color = color;
  return brush;
}

// Initial bits are not taken: callers pass none and draw into the black bitmap.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPixel, const void* /*bits*/) {
  if (width <= 0 || height <= 0) return nullptr;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (count > kMaxBitmapPixels) return nullptr;
  auto* bitmap = new (std::nothrow) Bitmap;
  if (!bitmap) return nullptr;
  bitmap->width = width;
  bitmap->height = height;
  bitmap->planes = static_cast<int>(planes);
  bitmap->bitsPixel = static_cast<int>(bitsPixel);
  try {
    bitmap->pixels.resize(count);  // black: pixel memory comes zeroed
  } catch (const std::bad_alloc&) {
    delete bitmap;
    return nullptr;
  }
  return bitmap;
}

HPALETTE CreatePalette(const LOGPALETTE* lp) {
  if (!lp) return nullptr;
  auto* palette = new Palette;
  const size_t count = std::min<size_t>(lp->palNumEntries, std::size(lp->palPalEntry));
  palette->entries.assign(lp->palPalEntry, lp->palPalEntry + count);
  return palette;
}

BOOL DeleteObject(HGDIOBJ obj) {
  if (!obj) return 0;
  if (obj->stock) return 1;
  DeviceContext::ForgetObject(obj);
  delete obj;
  return 1;
}

HGDIOBJ GetStockObject(int which) {
  switch (which) {
    case WHITE_BRUSH:
      return &StockBrush(false);
    case NULL_BRUSH:
      return &StockBrush(true);
    case BLACK_PEN:
      return &StockPen(PS_SOLID);
    case NULL_PEN:
      return &StockPen(PS_NULL);
    case DEFAULT_PALETTE:
      return &StockPalette();
    default:
      return nullptr;
  }
}

UINT GetNearestPaletteIndex(HPALETTE pal, COLORREF color) {
  if (!pal || pal->entries.empty()) return CLR_INVALID;
  const int r = static_cast<int>(GetRValue(color));
  const int g = static_cast<int>(GetGValue(color));
  const int b = static_cast<int>(GetBValue(color));
  UINT best = 0;
  int bestDistance = 1 << 30;
  for (size_t i = 0; i < pal->entries.size(); ++i) {
    const PALETTEENTRY& e = pal->entries[i];
    const int dr = e.peRed - r, dg = e.peGreen - g, db = e.peBlue - b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {  // strict: the lowest index wins a tie
      bestDistance = distance;
      best = static_cast<UINT>(i);
      if (distance == 0) break;
    }
  }
  return best;
}

}  // namespace gdi
