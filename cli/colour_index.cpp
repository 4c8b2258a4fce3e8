#include "cli/colour_index.h"

#include <array>

namespace lanterna {

namespace {

// Open addressing over 1024 slots keeps every probe short for 256 colours at most.
constexpr uint32_t kSlots = 1024;
constexpr uint32_t kEmpty = 0xFFFFFFFF;  // no pixel has the top byte set

uint32_t Slot(uint32_t colour) {
  return (colour * 2654435761u) >> 22;
}

}  // namespace

bool IndexColours(const gdi::Bitmap& bitmap, IndexedPicture* out) {
  std::array<uint32_t, kSlots> keys;
  std::array<uint8_t, kSlots> values;
  keys.fill(kEmpty);
  out->palette.clear();
  const size_t count = static_cast<size_t>(bitmap.width) * bitmap.height;
  out->indices.resize(count);
  const uint32_t* pixels = bitmap.pixels.data();
  uint8_t* indices = out->indices.data();
  // Line drawings are long runs of one colour: the last colour found is tried first.
  uint32_t last = kEmpty;
  uint8_t lastIndex = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t c = pixels[i] & 0x00FFFFFF;
    if (c != last) {
      uint32_t s = Slot(c);
      while (keys[s] != kEmpty && keys[s] != c) s = (s + 1) & (kSlots - 1);
      if (keys[s] == kEmpty) {
        if (out->palette.size() == 256) return false;
        keys[s] = c;
        values[s] = static_cast<uint8_t>(out->palette.size());
        out->palette.push_back(c);
      }
      last = c;
      lastIndex = values[s];
    }
    indices[i] = lastIndex;
  }
  return true;
}

}  // namespace lanterna
