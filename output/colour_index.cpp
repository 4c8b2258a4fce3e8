#include "output/colour_index.h"

#include <array>

namespace lanterna {

namespace {

// Open addressing over 4096 slots: with 256 colours at most, nearly every colour is found at
// its first slot, so the lookup is one predictable branch a pixel. (Trying the last colour found
// first is slower: on a busy drawing that branch goes wrong at every change of colour.)
constexpr uint32_t kSlotBits = 12;
constexpr uint32_t kSlots = uint32_t{1} << kSlotBits;
constexpr uint32_t kEmpty = 0xFFFFFFFF;  // no pixel has the top byte set

uint32_t Slot(uint32_t colour) {
  return (colour * 2654435761u) >> (32 - kSlotBits);
}

}  // namespace

void IndexBand(const gdi::Bitmap& bitmap, size_t lead, uint8_t* rows, ColourBand* band) {
  std::array<uint32_t, kSlots> keys;
  std::array<uint8_t, kSlots> values;
  keys.fill(kEmpty);
  const size_t width = static_cast<size_t>(bitmap.width);
  for (int y = band->first; y < band->last; ++y) {
    const uint32_t* pixels = bitmap.pixels.data() + static_cast<size_t>(y) * width;
    uint8_t* indices = rows + static_cast<size_t>(y) * (lead + width) + lead;
    for (size_t x = 0; x < width; ++x) {
      const uint32_t c = pixels[x] & 0x00FFFFFF;
      uint32_t s = Slot(c);
      if (keys[s] != c) [[unlikely]] {
        while (keys[s] != kEmpty && keys[s] != c) s = (s + 1) & (kSlots - 1);
        if (keys[s] == kEmpty) {
          if (band->palette.size() == 256) {
            band->fits = false;
            return;
          }
          keys[s] = c;
          values[s] = static_cast<uint8_t>(band->palette.size());
          band->palette.push_back(c);
        }
      }
      indices[x] = values[s];
    }
  }
}

bool MergePalette(const std::vector<gdi::COLORREF>& bandPalette,
                  std::vector<gdi::COLORREF>* palette, Renumbering* renumbering) {
  renumbering->same = true;
  for (size_t i = 0; i < bandPalette.size(); ++i) {
    size_t at = 0;
    while (at < palette->size() && (*palette)[at] != bandPalette[i]) ++at;
    if (at == palette->size()) {
      if (at == 256) return false;
      palette->push_back(bandPalette[i]);
    }
    renumbering->to[i] = static_cast<uint8_t>(at);
    renumbering->same = renumbering->same && at == i;
  }
  return true;
}

void RenumberBand(const ColourBand& band, size_t lead, size_t width, uint8_t* rows,
                  const Renumbering& renumbering) {
  if (renumbering.same) return;
  for (int y = band.first; y < band.last; ++y) {
    uint8_t* indices = rows + static_cast<size_t>(y) * (lead + width) + lead;
    for (size_t x = 0; x < width; ++x) indices[x] = renumbering.to[indices[x]];
  }
}

}  // namespace lanterna
