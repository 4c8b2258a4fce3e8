#include "cli/png_pixels.h"

#include <algorithm>
#include <future>
#include <new>
#include <thread>

#include "cli/colour_index.h"
#include "cli/zlib_stream.h"

namespace lanterna {

namespace {

// Below this many pixels a second thread costs more than it saves.
constexpr size_t kTwoLanesAbove = size_t{1} << 20;
constexpr size_t kLead = 1;  // each row starts with its filter byte: 0, none

int BitDepthFor(size_t colours) {
  return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

// Packs each row of palette indices at the given bit depth, leftmost pixel in the high bits,
// in place: a packed row is never longer than its indices, so nothing is overwritten unread.
void PackRows(IndexedPicture* indexed, int width, int height, int depth) {
  if (depth == 8) return;
  const size_t packedBytes = (static_cast<size_t>(width) * depth + 7) / 8;
  const int perByte = 8 / depth;
  uint8_t* data = indexed->indices.data();
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = data + static_cast<size_t>(y) * (kLead + width);
    uint8_t* out = data + static_cast<size_t>(y) * (kLead + packedBytes);
    *out++ = *in++;
    for (int x = 0; x < width; x += perByte, ++out) {
      unsigned byte = 0;
      const int n = std::min(perByte, width - x);
      for (int k = 0; k < n; ++k) byte |= in[x + k] << (8 - depth * (k + 1));
      *out = static_cast<uint8_t>(byte);
    }
  }
  indexed->indices.resize((kLead + packedBytes) * static_cast<size_t>(height));
}

// Packs, and compresses the whole in one call.
PngPixels Finish(IndexedPicture* indexed, const gdi::Bitmap& bitmap, int level,
                 IndexedPngData* out) {
  out->palette = std::move(indexed->palette);
  if (out->palette.empty()) out->palette.push_back(0xFFFFFF);  // a picture of no pixels
  out->depth = BitDepthFor(out->palette.size());
  PackRows(indexed, bitmap.width, bitmap.height, out->depth);
  return ZlibCompress(indexed->indices.data(), indexed->indices.size(), level, &out->idat)
             ? PngPixels::kIndexed
             : PngPixels::kFailed;
}

PngPixels TwoLanes(const gdi::Bitmap& bitmap, int level, IndexedPngData* out) {
  const size_t rowBytes = kLead + static_cast<size_t>(bitmap.width);
  IndexedPicture indexed;
  indexed.lead = kLead;
  indexed.indices.assign(rowBytes * static_cast<size_t>(bitmap.height), 0);
  uint8_t* rows = indexed.indices.data();
  // The upper lane also searches its compressed rows again to leave them open: fewer rows.
  ColourBand top{0, bitmap.height * 9 / 20, {}, true};
  ColourBand bottom{top.last, bitmap.height, {}, true};
  const size_t topBytes = rowBytes * static_cast<size_t>(top.last);
  std::promise<void> topIndexed;
  std::promise<bool> compressTop;  // only when the rows stay as they are: 8 bits, no remap
  std::future<void> topIndexedDone = topIndexed.get_future();
  std::future<bool> topGo = compressTop.get_future();
  std::vector<uint8_t> first, second;
  bool firstDone = false;
  std::thread lane([&] {
    IndexBand(bitmap, kLead, rows, &top);
    topIndexed.set_value();
    try {
      if (topGo.get()) firstDone = DeflatePart(rows, topBytes, level, true, &first);
    } catch (const std::bad_alloc&) {
    }
  });
  IndexBand(bitmap, kLead, rows, &bottom);
  topIndexedDone.wait();
  // The upper rows come first, so their palette is the start of the whole one.
  std::vector<gdi::COLORREF> palette = top.palette;
  const bool fits = top.fits && bottom.fits &&
                    MergeBand(bottom, kLead, static_cast<size_t>(bitmap.width), rows, &palette);
  const bool eightBits = fits && BitDepthFor(palette.size()) == 8;
  compressTop.set_value(eightBits);
  bool secondDone = false;
  if (eightBits) {
    try {
      secondDone =
          DeflatePart(rows + topBytes, indexed.indices.size() - topBytes, level, false, &second);
    } catch (const std::bad_alloc&) {
    }
  }
  lane.join();
  if (!fits) return PngPixels::kTooManyColours;
  if (!eightBits) {
    indexed.palette = std::move(palette);
    return Finish(&indexed, bitmap, level, out);
  }
  if (!firstDone || !secondDone) return PngPixels::kFailed;
  out->palette = std::move(palette);
  out->depth = 8;
  JoinZlibStream(first, second, Adler32(rows, indexed.indices.size()), &out->idat);
  return PngPixels::kIndexed;
}

}  // namespace

PngPixels IndexedPngPixels(const gdi::Bitmap& bitmap, int level, IndexedPngData* out) {
  const size_t pixels = static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height);
  if (pixels > kTwoLanesAbove && std::thread::hardware_concurrency() >= 2)
    return TwoLanes(bitmap, level, out);
  IndexedPicture indexed;
  if (!IndexColours(bitmap, &indexed, kLead)) return PngPixels::kTooManyColours;
  return Finish(&indexed, bitmap, level, out);
}

}  // namespace lanterna
