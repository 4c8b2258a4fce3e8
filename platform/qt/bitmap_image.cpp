#include "platform/qt/bitmap_image.h"

#include <cstdint>

namespace platform::qt {

void CopyToRgb32(const gdi::Bitmap& bitmap, QRect from, QImage* image, QPoint at) {
  from = from.intersected(QRect(0, 0, bitmap.width, bitmap.height));
  QRect to = QRect(at, from.size()).intersected(image->rect());
  from = QRect(from.topLeft() + (to.topLeft() - at), to.size());
  if (to.isEmpty() || bitmap.pixels.size() < static_cast<size_t>(bitmap.width) * bitmap.height)
    return;
  for (int y = 0; y < to.height(); ++y) {
    const uint32_t* in =
        bitmap.pixels.data() + static_cast<size_t>(from.y() + y) * bitmap.width + from.x();
    auto* out = reinterpret_cast<uint32_t*>(image->scanLine(to.y() + y)) + to.x();
    for (int x = 0; x < to.width(); ++x) {
      const uint32_t c = in[x];
      out[x] = 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }
  }
}

QImage Rgb32Image(const gdi::Bitmap& bitmap) {
  if (bitmap.width <= 0 || bitmap.height <= 0) return QImage();
  QImage image(bitmap.width, bitmap.height, QImage::Format_RGB32);
  CopyToRgb32(bitmap, QRect(0, 0, bitmap.width, bitmap.height), &image, QPoint(0, 0));
  return image;
}

}  // namespace platform::qt
