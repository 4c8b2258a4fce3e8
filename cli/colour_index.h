// A picture's colours as a palette and one index per pixel, when it has few enough of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace lanterna {

struct IndexedPicture {
  std::vector<gdi::COLORREF> palette;  // in order of first use, each colour once
  // One byte per pixel, top row first; each row starts with `lead` zero bytes (room for what a
  // file format puts before a row), so a row takes lead + width bytes.
  std::vector<uint8_t> indices;
  size_t lead = 0;
};

// The picture as palette indices; false when it has more than 256 colours. Big pictures are
// indexed in two halves at once.
bool IndexColours(const gdi::Bitmap& bitmap, IndexedPicture* out, size_t lead = 0);

}  // namespace lanterna
