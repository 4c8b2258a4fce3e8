// A picture's colours as a palette and one index per pixel, when it has few enough of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace lanterna {

// The rows [first, last) as palette indices against a palette of their own (in order of first
// use), one byte a pixel into rows of `lead` bytes (what a file format puts before a row, left
// as they are) and then the row's indices; fits is false when they have more than 256 colours.
struct ColourBand {
  int first = 0, last = 0;
  std::vector<gdi::COLORREF> palette;
  bool fits = true;
};
void IndexBand(const gdi::Bitmap& bitmap, size_t lead, uint8_t* rows, ColourBand* band);

// How a later band's indices become the whole picture's.
struct Renumbering {
  std::array<uint8_t, 256> to;
  bool same = true;  // every index stays
};
// Adds a later band's colours to the palette of the rows before it; false when together they
// have more than 256 colours.
bool MergePalette(const std::vector<gdi::COLORREF>& bandPalette,
                  std::vector<gdi::COLORREF>* palette, Renumbering* renumbering);
void RenumberBand(const ColourBand& band, size_t lead, size_t width, uint8_t* rows,
                  const Renumbering& renumbering);

}  // namespace lanterna
