#include "output/image_writer.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "output/png_pixels.h"

namespace lanterna {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Room a row buffer needs past its last pixel: RowToRgb writes four bytes for each three.
constexpr size_t kRowSlack = 1;

// Each pixel (0x00BBGGRR, little-endian in memory as R G B 0) is stored whole, three bytes on
// from the last: the next pixel overwrites the fourth byte, and the last one's falls into the
// slack, or into the next row of a chunk before that row is written.
void RowToRgb(const gdi::Bitmap& bitmap, int y, uint8_t* out) {
  const gdi::COLORREF* row = bitmap.pixels.data() + static_cast<size_t>(y) * bitmap.width;
  const int width = bitmap.width;  // a local: the stores could alias the bitmap's fields
  for (int x = 0; x < width; ++x, out += 3) {
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(out, row + x, 4);
    } else {
      const uint32_t c = row[x];
      const uint8_t bytes[4] = {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                                static_cast<uint8_t>(c >> 16), 0};
      std::memcpy(out, bytes, 4);
    }
  }
}

// The stream's pieces go out as they are, in IDAT chunks of at most 1 MiB each.
void WriteIdat(png_structp png, const ZlibStream& stream) {
  constexpr size_t kChunk = size_t{1} << 20;
  size_t left = stream.Size();
  auto piece = stream.pieces.begin();
  size_t at = 0;  // within *piece
  while (left > 0) {
    const size_t chunk = std::min(kChunk, left);
    png_write_chunk_start(png, reinterpret_cast<png_const_bytep>("IDAT"),
                          static_cast<png_uint_32>(chunk));
    for (size_t put = 0; put < chunk;) {
      if (at == piece->size) {
        ++piece;
        at = 0;
        continue;
      }
      const size_t n = std::min(chunk - put, piece->size - at);
      png_write_chunk_data(png, piece->data.get() + at, n);
      at += n;
      put += n;
    }
    png_write_chunk_end(png);
    left -= chunk;
  }
}

bool WritePngTo(std::FILE* file, const gdi::Bitmap& bitmap) {
  // An indexed picture is compressed whole, ahead of libpng: libdeflate's level 5 is 3-4 times
  // as fast as zlib's on dense line drawings and still a little smaller than netpbm's files
  // (measured: BENCHMARKS.md). RGB pictures go row by row through libpng's zlib.
  IndexedPngData indexed;
  const PngPixels pixels = IndexedPngPixels(bitmap, 5, &indexed);
  if (pixels == PngPixels::kFailed) return false;
  const bool usesPalette = pixels == PngPixels::kIndexed;
  const int depth = usesPalette ? indexed.depth : 8;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  std::vector<uint8_t> row(static_cast<size_t>(bitmap.width) * 3 + kRowSlack);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  // RGB rows through zlib (measured on line drawings: filters only make the bytes look random,
  // Z_RLE and level 1 leave files 5% larger than netpbm's, level 6 costs half as much again).
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 5);
  png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
  png_set_IHDR(png, info, bitmap.width, bitmap.height, depth,
               usesPalette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (gdi::COLORREF c : indexed.palette)
    palette.push_back({static_cast<png_byte>(gdi::GetRValue(c)),
                       static_cast<png_byte>(gdi::GetGValue(c)),
                       static_cast<png_byte>(gdi::GetBValue(c))});
  if (usesPalette) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  png_write_info(png, info);
  if (usesPalette) {
    // libpng writes the chunks around data it did not compress itself: IDATs of at most
    // 1 MiB, then the end chunk (png_write_end would insist on rows written through libpng).
    WriteIdat(png, indexed.idat);
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
  } else {
    for (int y = 0; y < bitmap.height; ++y) {
      RowToRgb(bitmap, y, row.data());
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(&png, &info);
  return std::fflush(file) == 0;
}

bool WritePpmTo(std::FILE* file, const gdi::Bitmap& bitmap) {
  std::fprintf(file, "P6\n%d %d\n255\n", bitmap.width, bitmap.height);
  // Rows go out in chunks of about 256 KiB: one write call per row is most of the cost, and a
  // chunk that stays in the cache and needs few page faults of its own costs less than a big one.
  const size_t rowBytes = static_cast<size_t>(bitmap.width) * 3;
  const int rowsPerChunk =
      std::max<int>(1, static_cast<int>((size_t{256} << 10) / std::max<size_t>(rowBytes, 1)));
  std::vector<uint8_t> chunk(rowBytes * static_cast<size_t>(rowsPerChunk) + kRowSlack);
  for (int y = 0; y < bitmap.height; y += rowsPerChunk) {
    const int rows = std::min(rowsPerChunk, bitmap.height - y);
    for (int i = 0; i < rows; ++i) RowToRgb(bitmap, y + i, chunk.data() + rowBytes * i);
    const size_t bytes = rowBytes * static_cast<size_t>(rows);
    if (std::fwrite(chunk.data(), 1, bytes, file) != bytes) return false;
  }
  return std::fflush(file) == 0;
}

}  // namespace

bool WritePng(const std::string& path, const gdi::Bitmap& bitmap) {
  File file(std::fopen(path.c_str(), "wb"));
  return file && WritePngTo(file.get(), bitmap);
}

bool WritePpm(const std::string& path, const gdi::Bitmap& bitmap) {
  File file(std::fopen(path.c_str(), "wb"));
  return file && WritePpmTo(file.get(), bitmap);
}

bool WritePng(std::FILE* file, const gdi::Bitmap& bitmap) {
  return WritePngTo(file, bitmap);
}

bool WritePpm(std::FILE* file, const gdi::Bitmap& bitmap) {
  return WritePpmTo(file, bitmap);
}

}  // namespace lanterna
