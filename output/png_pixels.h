// The pixel data of an indexed PNG: the palette, the bit depth and the compressed rows.
#pragma once

#include <vector>

#include "output/zlib_stream.h"
#include "platform/gdi/gdi.h"

namespace lanterna {

struct IndexedPngData {
  std::vector<gdi::COLORREF> palette;  // the colours used, in order of first use
  int depth = 8;                       // bits a pixel: 1, 2, 4 or 8
  ZlibStream idat;                     // the rows, each after its filter byte
};

enum class PngPixels { kIndexed, kTooManyColours, kFailed };

// The bitmap as an indexed PNG's data at the given compression level, or why not. Big pictures
// are done in bands, one a core: each is indexed, then renumbered against the whole palette
// and compressed, all at once.
PngPixels IndexedPngPixels(const gdi::Bitmap& bitmap, int level, IndexedPngData* out);

}  // namespace lanterna
