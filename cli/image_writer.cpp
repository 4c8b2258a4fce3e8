#include "cli/image_writer.h"

#include <png.h>

#include <cstdio>
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
  for (int x = 0; x < bitmap.width; ++x) {
    *out++ = static_cast<uint8_t>(gdi::GetRValue(row[x]));
    *out++ = static_cast<uint8_t>(gdi::GetGValue(row[x]));
    *out++ = static_cast<uint8_t>(gdi::GetBValue(row[x]));
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
  std::vector<uint8_t> row(static_cast<size_t>(bitmap.width) * 3);
  for (int y = 0; y < bitmap.height; ++y) {
    RowToRgb(bitmap, y, row.data());
    if (std::fwrite(row.data(), 1, row.size(), file.get()) != row.size()) return false;
  }
  return std::fflush(file.get()) == 0;
}

}  // namespace lanterna
