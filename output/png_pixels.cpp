#include "output/png_pixels.h"

#include <algorithm>
#include <memory>
#include <new>

#include "output/colour_index.h"
#include "output/parts.h"

namespace lanterna {

namespace {

constexpr size_t kLead = 1;  // each row starts with its filter byte: 0, none

int BitDepthFor(size_t colours) {
  return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

// Packs each row of palette indices at the given bit depth, leftmost pixel in the high bits,
// in place: a packed row is never longer than its indices, so nothing is overwritten unread.
// The packed rows' size.
size_t PackRows(uint8_t* data, size_t width, size_t height, int depth) {
  const size_t packedBytes = (width * static_cast<size_t>(depth) + 7) / 8;
  const size_t perByte = static_cast<size_t>(8 / depth);
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* in = data + y * (kLead + width);
    uint8_t* out = data + y * (kLead + packedBytes);
    *out++ = *in++;
    for (size_t x = 0; x < width; x += perByte, ++out) {
      unsigned byte = 0;
      const size_t n = std::min(perByte, width - x);
      for (size_t k = 0; k < n; ++k) byte |= in[x + k] << (8 - depth * static_cast<int>(k + 1));
      *out = static_cast<uint8_t>(byte);
    }
  }
  return (kLead + packedBytes) * height;
}

PngPixels Indexed(const gdi::Bitmap& bitmap, int level, IndexedPngData* out) {
  const auto width = static_cast<size_t>(std::max(bitmap.width, 0));
  const auto height = static_cast<size_t>(std::max(bitmap.height, 0));
  if (bitmap.pixels.size() < width * height) return PngPixels::kFailed;
  const size_t rowBytes = kLead + width;
  const size_t total = rowBytes * height;
  const int bands =
      static_cast<int>(std::max<size_t>(1, std::min<size_t>(PartsFor(total), height)));
  // Pixel memory: a big picture's rows lie in huge pages, as its bitmap does.
  const auto freeRows = [total](uint8_t* p) { gdi::FreePixels(p, total); };
  std::unique_ptr<uint8_t[], decltype(freeRows)> rows(
      static_cast<uint8_t*>(gdi::AllocatePixels(total)), freeRows);
  std::vector<ColourBand> band(static_cast<size_t>(bands));
  for (int i = 0; i < bands; ++i) {
    band[i].first = static_cast<int>(PartEnd(height, i - 1, bands));
    band[i].last = static_cast<int>(PartEnd(height, i, bands));
  }
  RunParts(bands, [&](int i) {
    for (int y = band[i].first; y < band[i].last; ++y) rows[static_cast<size_t>(y) * rowBytes] = 0;
    IndexBand(bitmap, kLead, rows.get(), &band[i]);
    return true;
  });

  // The bands come in order, so each one's palette is the start of the next's.
  std::vector<gdi::COLORREF> palette = band[0].palette;
  std::vector<Renumbering> renumbering(static_cast<size_t>(bands));
  for (int i = 0; i < bands; ++i) {
    if (!band[i].fits || (i > 0 && !MergePalette(band[i].palette, &palette, &renumbering[i])))
      return PngPixels::kTooManyColours;
  }
  if (palette.empty()) palette.push_back(0xFFFFFF);  // a picture of no pixels
  out->palette = std::move(palette);
  out->depth = BitDepthFor(out->palette.size());

  if (out->depth < 8) {
    for (int i = 1; i < bands; ++i) RenumberBand(band[i], kLead, width, rows.get(), renumbering[i]);
    const size_t packed = PackRows(rows.get(), width, height, out->depth);
    return ZlibCompress(rows.get(), packed, level, &out->idat) ? PngPixels::kIndexed
                                                               : PngPixels::kFailed;
  }
  // Eight bits: each band is renumbered and compressed as a part of the stream, all at once.
  std::vector<size_t> ends;
  for (const ColourBand& b : band) ends.push_back(static_cast<size_t>(b.last) * rowBytes);
  const auto renumber = [&](int i) {
    RenumberBand(band[i], kLead, width, rows.get(), renumbering[i]);
  };
  if (!ZlibCompressParts(rows.get(), ends, level, renumber, &out->idat)) return PngPixels::kFailed;
  return PngPixels::kIndexed;
}

}  // namespace

PngPixels IndexedPngPixels(const gdi::Bitmap& bitmap, int level, IndexedPngData* out) {
  try {
    return Indexed(bitmap, level, out);
  } catch (const std::bad_alloc&) {
    return PngPixels::kFailed;
  }
}

}  // namespace lanterna
