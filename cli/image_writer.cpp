#include "cli/image_writer.h"

#include <png.h>

#include <algorithm>
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

void RowToRgb(const gdi::Bitmap& bitmap, int y, uint8_t* out) {
  const gdi::COLORREF* row = bitmap.pixels.data() + static_cast<size_t>(y) * bitmap.width;
  int x = 0;
  // Four pixels (0x00BBGGRR each) make twelve bytes R G B R G B ...
  for (; x + 4 <= bitmap.width; x += 4, out += 12) {
    const uint32_t a = row[x] & 0xFFFFFF, b = row[x + 1] & 0xFFFFFF;
    const uint32_t c = row[x + 2] & 0xFFFFFF, d = row[x + 3] & 0xFFFFFF;
    const uint32_t w0 = a | b << 24, w1 = b >> 8 | c << 16, w2 = c >> 16 | d << 8;
    const uint8_t bytes[12] = {uint8_t(w0), uint8_t(w0 >> 8), uint8_t(w0 >> 16), uint8_t(w0 >> 24),
                               uint8_t(w1), uint8_t(w1 >> 8), uint8_t(w1 >> 16), uint8_t(w1 >> 24),
                               uint8_t(w2), uint8_t(w2 >> 8), uint8_t(w2 >> 16), uint8_t(w2 >> 24)};
    std::memcpy(out, bytes, 12);
  }
  for (; x < bitmap.width; ++x, out += 3) {
    const gdi::COLORREF c = row[x];
    out[0] = static_cast<uint8_t>(c);
    out[1] = static_cast<uint8_t>(c >> 8);
    out[2] = static_cast<uint8_t>(c >> 16);
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
  std::vector<uint8_t> row(static_cast<size_t>(bitmap.width) * 3);
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
  // Rows go out in chunks of about a megabyte: one write call per row is most of the cost.
  const size_t rowBytes = static_cast<size_t>(bitmap.width) * 3;
  const int rowsPerChunk =
      std::max<int>(1, static_cast<int>((size_t{1} << 20) / std::max<size_t>(rowBytes, 1)));
  std::vector<uint8_t> chunk(rowBytes * static_cast<size_t>(rowsPerChunk));
  for (int y = 0; y < bitmap.height; y += rowsPerChunk) {
    const int rows = std::min(rowsPerChunk, bitmap.height - y);
    for (int i = 0; i < rows; ++i) RowToRgb(bitmap, y + i, chunk.data() + rowBytes * i);
    const size_t bytes = rowBytes * static_cast<size_t>(rows);
    if (std::fwrite(chunk.data(), 1, bytes, file.get()) != bytes) return false;
  }
  return std::fflush(file.get()) == 0;
}

}  // namespace lanterna
