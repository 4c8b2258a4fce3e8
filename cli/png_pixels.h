// The pixel data of an indexed PNG: the palette, the bit depth and the compressed rows.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace lanterna {

struct IndexedPngData {
  std::vector<gdi::COLORREF> palette;  // the colours used, in order of first use
  int depth = 8;                       // bits a pixel: 1, 2, 4 or 8
  std::vector<uint8_t> idat;           // the rows, each after its filter byte, as one zlib stream
};

enum class PngPixels { kIndexed, kTooManyColours, kFailed };

// The bitmap as an indexed PNG's data at the given compression level, or why not. Big pictures
// are done in two lanes at once: the rows above a line are compressed while those below are
// still renumbered against the whole palette.
PngPixels IndexedPngPixels(const gdi::Bitmap& bitmap, int level, IndexedPngData* out);

}  // namespace lanterna
