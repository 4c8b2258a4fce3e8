// A picture's colours as a palette and one index per pixel, when it has few enough of them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace lanterna {

struct IndexedPicture {
  std::vector<gdi::COLORREF> palette;  // in order of first use, each colour once
  std::vector<uint8_t> indices;        // one per pixel, top row first
};

// The picture as palette indices; false when it has more than 256 colours.
bool IndexColours(const gdi::Bitmap& bitmap, IndexedPicture* out);

}  // namespace lanterna
