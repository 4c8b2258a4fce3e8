// Reads a PNG back with libpng: its type and depth, and its pixels as RGB bytes.
#pragma once

#include <png.h>

#include <cstdio>
#include <string>

#include "tests/slide_writer.h"

namespace fixtures {

struct DecodedPng {
  int colourType = -1;
  int bitDepth = 0;
  int paletteSize = 0;
  int width = 0;
  int height = 0;
  fixtures::Bytes rgb;
};

inline DecodedPng ReadPng(const std::string& path) {
  DecodedPng d;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return d;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    d.colourType = -1;
    return d;
  }
  png_init_io(png, f);
  png_read_info(png, info);
  d.colourType = png_get_color_type(png, info);
  d.bitDepth = png_get_bit_depth(png, info);
  png_colorp palette = nullptr;
  png_get_PLTE(png, info, &palette, &d.paletteSize);
  png_set_palette_to_rgb(png);  // expands low bit depths as well
  png_set_strip_alpha(png);
  d.width = static_cast<int>(png_get_image_width(png, info));
  d.height = static_cast<int>(png_get_image_height(png, info));
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  d.rgb.resize(rowBytes * height);
  for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, d.rgb.data() + y * rowBytes, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return d;
}

}  // namespace fixtures
