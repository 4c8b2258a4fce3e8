// The engine's pixels (0x00BBGGRR words) as Qt shows them fastest (0xFFRRGGBB words). Qt's own
// conversion from the byte order the engine's words have takes 20-30 ms a megapixel; this loop
// takes about one.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include "platform/gdi/gdi.h"

namespace platform::qt {

// The part `from` of bitmap (within it) written into image (RGB32) at `at`, clipped to image.
void CopyToRgb32(const gdi::Bitmap& bitmap, QRect from, QImage* image, QPoint at);

// The whole bitmap as a new RGB32 image; null for an empty bitmap.
QImage Rgb32Image(const gdi::Bitmap& bitmap);

}  // namespace platform::qt
