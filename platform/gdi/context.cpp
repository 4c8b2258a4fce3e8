// What every device context shares: stock selections, object selection, palettes and the
// resolution of colour references.
#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi {

namespace {

// Live contexts, so that deleting an object can take it out of every selection. Contexts and
// their objects stay on the thread that made them: each thread has its own.
struct Registry {
  std::mutex mutex;
  std::vector<DeviceContext*> contexts;
};

Registry& Contexts() {
  static thread_local Registry registry;
  return registry;
}

COLORREF EntryRgb(const PALETTEENTRY& e) {
  return RGB(e.peRed, e.peGreen, e.peBlue);
}

COLORREF NearestRgb(HPALETTE pal, COLORREF color) {
  const UINT index = GetNearestPaletteIndex(pal, color);
  return index == CLR_INVALID ? RGB(0, 0, 0) : EntryRgb(pal->entries[index]);
}

HPALETTE StockPalette() {
  return static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
}

}  // namespace

DeviceContext::DeviceContext(DeviceCaps caps)
    : caps_(caps),
      pen_(static_cast<HPEN>(GetStockObject(BLACK_PEN))),
      brush_(static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))),
      palette_(StockPalette()) {
  Registry& r = Contexts();
  std::lock_guard lock(r.mutex);
  r.contexts.push_back(this);
}

DeviceContext::~DeviceContext() {
  Registry& r = Contexts();
  std::lock_guard lock(r.mutex);
  std::erase(r.contexts, this);
}

void DeviceContext::ForgetObject(HGDIOBJ obj) {
  if (!obj) return;
  Registry& r = Contexts();
  std::lock_guard lock(r.mutex);
  for (DeviceContext* dc : r.contexts) {
    if (dc->pen_ == obj) dc->pen_ = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    if (dc->brush_ == obj) dc->brush_ = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    if (dc->palette_ == obj) {
      dc->palette_ = StockPalette();
      dc->PaletteChanged();
    }
    if (obj->kind == ObjectKind::Bitmap) dc->ForgetBitmap(static_cast<HBITMAP>(obj));
  }
}

COLORREF DeviceContext::Resolve(COLORREF ref) const {
  const unsigned marker = ref >> 24;
  if (marker == 0x01) {
    const std::vector<PALETTEENTRY>& entries = palette_->entries;
    if (entries.empty()) return RGB(0, 0, 0);
    const size_t index = ref & 0xFFFF;
    return EntryRgb(entries[index < entries.size() ? index : 0]);
  }
  const COLORREF rgb = ref & 0xFFFFFF;
  if (caps_.sizePalette == 0) return rgb;
  if (resolvedPalette_ == palette_ && resolvedRef_ == ref) return resolvedRgb_;
  // Palette-relative references match the selected palette; plain RGB only gets the static
  // colours, as solid pens do on a palette display.
  const COLORREF shown = NearestRgb(marker == 0x02 ? palette_ : StockPalette(), rgb);
  resolvedRef_ = ref;
  resolvedRgb_ = shown;
  resolvedPalette_ = palette_;
  return shown;
}

HGDIOBJ DeviceContext::Select(HGDIOBJ obj) {
  if (!obj) return nullptr;
  switch (obj->kind) {
    case ObjectKind::Pen:
      return std::exchange(pen_, static_cast<HPEN>(obj));
    case ObjectKind::Brush:
      return std::exchange(brush_, static_cast<HBRUSH>(obj));
    case ObjectKind::Bitmap: {
      HBITMAP previous = nullptr;
      return SelectBitmap(static_cast<HBITMAP>(obj), &previous) ? previous : nullptr;
    }
    case ObjectKind::Palette:
      return nullptr;  // palettes go through SelectPalette
  }
  return nullptr;
}

bool DeviceContext::SelectBitmap(HBITMAP, HBITMAP*) {
  return false;
}

HPALETTE DeviceContext::SelectPalette(HPALETTE pal) {
  if (!pal) return nullptr;
  HPALETTE previous = std::exchange(palette_, pal);
  paletteRealized_ = false;
  PaletteChanged();
  return previous;
}

UINT DeviceContext::RealizePalette() {
  paletteRealized_ = true;
  PaletteChanged();  // entries may have been edited since the last realisation
  if (palette_->stock) return 0;
  return static_cast<UINT>(palette_->entries.size());
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
  return dc ? dc->Select(obj) : nullptr;
}

HPALETTE SelectPalette(HDC dc, HPALETTE pal, BOOL /*forceBackground*/) {
  return dc ? dc->SelectPalette(pal) : nullptr;
}

UINT RealizePalette(HDC dc) {
  return dc ? dc->RealizePalette() : 0;
}

BOOL DeleteDC(HDC dc) {
  if (!dc) return 0;
  delete dc;
  return 1;
}

int GetDeviceCaps(HDC dc, int index) {
  if (!dc) return 0;
  switch (index) {
    case SIZEPALETTE:
      return dc->Caps().sizePalette;
    case BITSPIXEL:
      return dc->Caps().bitsPixel;
    case PLANES:
      return dc->Caps().planes;
    default:
      return 0;
  }
}

}  // namespace gdi
