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

// The picture as palette indices; false when it has more than 256 colours.
bool IndexColours(const gdi::Bitmap& bitmap, IndexedPicture* out, size_t lead = 0);

// The rows [first, last) indexed against a palette of their own, into rows laid out as
// IndexedPicture's indices; fits is false when they have more than 256 colours.
struct ColourBand {
  int first = 0, last = 0;
  std::vector<gdi::COLORREF> palette;
  bool fits = true;
};
void IndexBand(const gdi::Bitmap& bitmap, size_t lead, uint8_t* rows, ColourBand* band);

// Adds a later band's colours to the palette of the rows before it and renumbers the band's
// indices; false when together they have more than 256 colours.
bool MergeBand(const ColourBand& band, size_t lead, size_t width, uint8_t* rows,
               std::vector<gdi::COLORREF>* palette);

}  // namespace lanterna
