#include "cli/image_writer.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

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

}  // namespace

bool WritePng(const std::string& path, const gdi::Bitmap& bitmap) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
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
  png_init_io(png, file.get());
  png_set_IHDR(png, info, bitmap.width, bitmap.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < bitmap.height; ++y) {
    RowToRgb(bitmap, y, row.data());
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fflush(file.get()) == 0;
}

bool WritePpm(const std::string& path, const gdi::Bitmap& bitmap) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  std::fprintf(file.get(), "P6\n%d %d\n255\n", bitmap.width, bitmap.height);
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
    if (std::fwrite(chunk.data(), 1, bytes, file.get()) != bytes) return false;
  }
  return std::fflush(file.get()) == 0;
}

}  // namespace lanterna
