// Raster device contexts: screen-like ones drawing on a given surface, and memory ones drawing
// on the bitmap selected into them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/deferred_drawing.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/raster.h"

namespace gdi {

namespace {

// What a new memory context holds until a bitmap is selected: one black monochrome pixel.
Bitmap& StockBitmap() {
  static Bitmap bitmap = [] {
    Bitmap b;
    b.stock = true;
    b.width = b.height = 1;
    b.bitsPixel = 1;
    b.pixels.assign(1, RGB(0, 0, 0));
    return b;
  }();
  return bitmap;
}

class RasterDC final : public DeviceContext {
 public:
  RasterDC(Bitmap* surface, DeviceCaps caps, bool memory, bool deferCopies = false)
      : DeviceContext(caps), surface_(surface), memory_(memory), deferCopies_(deferCopies) {}
  ~RasterDC() override { RasterDC::Flush(); }

  // Whoever reads the pixels after this sees every line drawn so far.
  void Flush() override {
    raster::SettleDrawing();
    FlushCopy();
  }
  const PendingCopy* Pending() const { return pending_.source ? &pending_ : nullptr; }

  void Line(POINT from, POINT to) override {
    FlushCopy();
    DeviceLine(ToDeviceWide(from.x, from.y), ToDeviceWide(to.x, to.y));
  }

  void FillPolygon(const POINT* pts, int count) override {
    if (count < 2) return;
    FlushCopy();
    device_.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) device_[i] = ToDeviceWide(pts[i].x, pts[i].y);
    if (!brush_->hollow) {
      const raster::Canvas canvas = raster::CanvasOf(surface_);
      const COLORREF colour = Resolve(brush_->color);
      if (!raster::DeferFill(canvas, device_.data(), count, colour))
        raster::FillEvenOdd(canvas, device_.data(), count, colour, fill_);
    }
    // The outline is the closed run of LineTo calls, so every vertex pixel gets drawn.
    for (int i = 0; i < count; ++i) DeviceLine(device_[i], device_[i + 1 < count ? i + 1 : 0]);
  }

  COLORREF PutPixel(int32_t x, int32_t y, COLORREF ref) override {
    FlushCopy();
    const raster::Canvas canvas = raster::CanvasOf(surface_);
    const DevicePoint p = ToDeviceWide(x, y);
    if (p.x < 0 || p.y < 0 || p.x >= canvas.width || p.y >= canvas.height) return CLR_INVALID;
    const COLORREF colour = Resolve(ref);
    if (!raster::DeferPixel(canvas, p, colour)) canvas.pixels[p.y * canvas.width + p.x] = colour;
    return colour;
  }

  void Blit(RECT dst, DeviceContext* src, POINT srcOrg, DWORD rop) override;

  Bitmap* Surface() override { return surface_; }

  bool SelectBitmap(HBITMAP bitmap, HBITMAP* previous) override {
    if (!memory_ || !bitmap) return false;
    raster::SettleDrawing();
    if (previous) *previous = surface_;
    surface_ = bitmap;
    return true;
  }

 protected:
  void ForgetBitmap(HBITMAP bitmap) override {
    // A copy put off from a bitmap about to go is made while its pixels are still there.
    raster::SettleDrawing();
    if (pending_.source == bitmap) FlushCopy();
    if (surface_ == bitmap) surface_ = memory_ ? &StockBitmap() : nullptr;
  }

 private:
  void FlushCopy() {
    if (!pending_.source) return;
    const PendingCopy copy = pending_;
    pending_ = {};
    Copy(copy.dst, copy.source, copy.srcOrg);
  }

  void DeviceLine(DevicePoint a, DevicePoint b) {
    if (pen_->style == PS_NULL) return;
    const raster::Canvas canvas = raster::CanvasOf(surface_);
    const COLORREF colour = Resolve(pen_->color);
    // The device width only changes with the pen or the mapping; most lines share both.
    if (widthPen_ != pen_ || widthLogical_ != pen_->width || widthWindow_.cx != map_.windowExt.cx ||
        widthViewport_.cx != map_.viewportExt.cx || widthMode_ != map_.mode) {
      widthPen_ = pen_;
      widthLogical_ = pen_->width;
      widthWindow_ = map_.windowExt;
      widthViewport_ = map_.viewportExt;
      widthMode_ = map_.mode;
      width_ = DevicePenWidth(pen_->width);
    }
    const int width = width_;
    if (raster::DeferLine(canvas, a, b, width, colour)) return;
    if (width <= 1) {
      raster::ThinLine(canvas, a, b, colour);
    } else {
      raster::WideLine(canvas, a, b, width, colour);
    }
  }

  void Copy(RECT dst, const Bitmap* source, POINT srcOrg);

  Bitmap* surface_;
  bool memory_;
  bool deferCopies_;
  PendingCopy pending_;
  HPEN widthPen_ = nullptr;
  int widthLogical_ = 0;
  SIZE widthWindow_{0, 0};
  SIZE widthViewport_{0, 0};
  int widthMode_ = 0;
  int width_ = 1;
  std::vector<DevicePoint> device_;
  raster::FillScratch fill_;
};

void RasterDC::Blit(RECT dst, DeviceContext* src, POINT srcOrg, DWORD rop) {
  const raster::Canvas to = raster::CanvasOf(surface_);
  int64_t left = std::max<int64_t>(dst.left, 0), top = std::max<int64_t>(dst.top, 0);
  int64_t right = std::min<int64_t>(dst.right, to.width);
  int64_t bottom = std::min<int64_t>(dst.bottom, to.height);
  if (left >= right || top >= bottom) return;

  if (rop == WHITENESS || rop == BLACKNESS) {
    Flush();
    const COLORREF colour = rop == WHITENESS ? RGB(255, 255, 255) : RGB(0, 0, 0);
    for (int64_t y = top; y < bottom; ++y) {
      raster::FillSpan(to.pixels + y * to.width + left, right - left, colour);
    }
    return;
  }

  // Every other operation copies the source.
  if (src) src->Flush();
  const Bitmap* source = src ? src->Surface() : nullptr;
  // Only memory bitmaps are GDI objects whose deletion the context hears of.
  const auto* memorySource = dynamic_cast<const RasterDC*>(src);
  if (deferCopies_ && memorySource && memorySource->memory_ && source && source != surface_ &&
      source->pixels.data() != to.pixels) {
    // A later copy of the same picture to the same place makes this one unnecessary.
    if (pending_.source && (pending_.source != source || pending_.srcOrg.x != srcOrg.x ||
                            pending_.srcOrg.y != srcOrg.y || pending_.dst.left != dst.left ||
                            pending_.dst.top != dst.top || pending_.dst.right != dst.right ||
                            pending_.dst.bottom != dst.bottom))
      Flush();
    pending_ = {source, dst, srcOrg};
    return;
  }
  Flush();
  Copy(dst, source, srcOrg);
}

void RasterDC::Copy(RECT dst, const Bitmap* source, POINT srcOrg) {
  raster::SettleDrawing();  // a copy put off may read a bitmap still being drawn on
  const raster::Canvas to = raster::CanvasOf(surface_);
  int64_t left = std::max<int64_t>(dst.left, 0), top = std::max<int64_t>(dst.top, 0);
  int64_t right = std::min<int64_t>(dst.right, to.width);
  int64_t bottom = std::min<int64_t>(dst.bottom, to.height);
  if (left >= right || top >= bottom) return;
  const raster::Canvas from = raster::CanvasOf(const_cast<Bitmap*>(source));
  int64_t sx = int64_t{srcOrg.x} + (left - dst.left), sy = int64_t{srcOrg.y} + (top - dst.top);
  if (sx < 0) left -= sx, sx = 0;
  if (sy < 0) top -= sy, sy = 0;
  right = std::min(right, left + (from.width - sx));
  bottom = std::min(bottom, top + (from.height - sy));
  if (left >= right || top >= bottom) return;

  const int64_t w = right - left, h = bottom - top;
  if (from.pixels == to.pixels) {
    // Same bitmap: go through a copy so overlapping rectangles read the original pixels.
    std::vector<COLORREF> copy(static_cast<size_t>(w * h));
    for (int64_t y = 0; y < h; ++y) {
      const COLORREF* row = from.pixels + (sy + y) * from.width + sx;
      std::copy(row, row + w, copy.begin() + y * w);
    }
    for (int64_t y = 0; y < h; ++y) {
      std::copy(copy.begin() + y * w, copy.begin() + (y + 1) * w,
                to.pixels + (top + y) * to.width + left);
    }
    return;
  }
  for (int64_t y = 0; y < h; ++y) {
    const COLORREF* row = from.pixels + (sy + y) * from.width + sx;
    std::copy(row, row + w, to.pixels + (top + y) * to.width + left);
  }
}

}  // namespace

std::unique_ptr<DeviceContext> CreateRasterDC(Bitmap* surface, DeviceCaps caps) {
  return std::make_unique<RasterDC>(surface, caps, false);
}

std::unique_ptr<DeviceContext> CreateWindowRasterDC(Bitmap* surface, DeviceCaps caps) {
  return std::make_unique<RasterDC>(surface, caps, false, true);
}

const PendingCopy* PendingCopyOf(const DeviceContext* dc) {
  auto* raster = dynamic_cast<const RasterDC*>(dc);
  return raster ? raster->Pending() : nullptr;
}

HDC CreateCompatibleDC(HDC dc) {
  return new RasterDC(&StockBitmap(), dc ? dc->Caps() : DeviceCaps::TrueColour(), true);
}

}  // namespace gdi
