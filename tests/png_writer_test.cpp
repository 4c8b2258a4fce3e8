// PNG output: a palette of exactly the colours used when there are at most 256, RGB beyond, and
// pixels identical to the PPM of the same picture.
#include <gtest/gtest.h>

#include <filesystem>

#include "output/image_writer.h"
#include "output/render_job.h"
#include "slide/library.h"
#include "slide/slide_kind.h"
#include "tests/png_reader.h"
#include "tests/test_support.h"

namespace {

using namespace lanterna;
using fixtures::DecodedPng;
using fixtures::ReadPng;
namespace fs = std::filesystem;

// The PPM's pixels, after its three header lines.
fixtures::Bytes PpmPixels(const std::string& path) {
  fixtures::Bytes all = fixtures::ReadFile(path);
  size_t at = 0;
  for (int lines = 0; lines < 3 && at < all.size(); ++at)
    if (all[at] == '\n') ++lines;
  return fixtures::Bytes(all.begin() + static_cast<std::ptrdiff_t>(at), all.end());
}

DecodedPng WriteBoth(const gdi::Bitmap& b, const fixtures::TempDir& dir, fixtures::Bytes* ppm) {
  EXPECT_TRUE(WritePng(dir.File("p.png"), b));
  EXPECT_TRUE(WritePpm(dir.File("p.ppm"), b));
  *ppm = PpmPixels(dir.File("p.ppm"));
  return ReadPng(dir.File("p.png"));
}

// Pictures of a given number of colours: the smallest bit depth that holds them, RGB past 256.
TEST(PngWriter, ColourCountPicksTypeAndDepth) {
  struct Case {
    int colours, type, depth;
  } cases[] = {{1, PNG_COLOR_TYPE_PALETTE, 1},  {2, PNG_COLOR_TYPE_PALETTE, 1},
               {3, PNG_COLOR_TYPE_PALETTE, 2},  {16, PNG_COLOR_TYPE_PALETTE, 4},
               {17, PNG_COLOR_TYPE_PALETTE, 8}, {256, PNG_COLOR_TYPE_PALETTE, 8},
               {257, PNG_COLOR_TYPE_RGB, 8}};
  fixtures::TempDir dir;
  for (const Case& c : cases) {
    gdi::Bitmap b;
    b.width = 37;  // rows that do not fill their last byte at low depths
    b.height = 9;
    b.pixels.resize(static_cast<size_t>(b.width) * b.height);
    for (size_t i = 0; i < b.pixels.size(); ++i)
      b.pixels[i] = gdi::RGB((i % c.colours) * 7 % 256, (i % c.colours) / 2, 200);
    fixtures::Bytes ppm;
    DecodedPng png = WriteBoth(b, dir, &ppm);
    EXPECT_EQ(png.colourType, c.type) << c.colours;
    EXPECT_EQ(png.bitDepth, c.depth) << c.colours;
    if (c.type == PNG_COLOR_TYPE_PALETTE) {
      EXPECT_EQ(png.paletteSize, c.colours);
    }
    EXPECT_EQ(png.rgb, ppm) << c.colours;
  }
}

// Big pictures are indexed and compressed in two halves at once: the halves' palettes merge in
// order of first use (RGB when together they pass 256), and the one zlib stream decodes whole.
TEST(PngWriter, BigPicturesSplitInBandsDecodeWhole) {
  struct Case {
    int topColours, bottomColours, type;
  } cases[] = {{2, 3, PNG_COLOR_TYPE_PALETTE},  // the bottom renumbers and adds a colour
               {200, 40, PNG_COLOR_TYPE_PALETTE},
               {200, 100, PNG_COLOR_TYPE_RGB}};
  fixtures::TempDir dir;
  uint32_t noise = 12345;
  for (const Case& c : cases) {
    gdi::Bitmap b;
    b.width = 1100;
    b.height = 1001;
    b.pixels.resize(static_cast<size_t>(b.width) * b.height);
    for (size_t i = 0; i < b.pixels.size(); ++i) {
      const bool top = i < b.pixels.size() / 2;
      noise = noise * 1103515245u + 12345u;
      // Runs of colours with noise between them, so that the stream has many blocks.
      const int k =
          static_cast<int>((i / 7 + (noise >> 28)) % (top ? c.topColours : c.bottomColours));
      b.pixels[i] = top ? gdi::RGB(k, 0, 0) : gdi::RGB(c.bottomColours - 1 - k, 1, 0);
    }
    fixtures::Bytes ppm;
    DecodedPng png = WriteBoth(b, dir, &ppm);
    EXPECT_EQ(png.colourType, c.type) << c.topColours;
    EXPECT_EQ(png.rgb, ppm) << c.topColours;
  }
}

std::vector<std::pair<std::string, std::string>> RealSlides() {
  std::vector<std::pair<std::string, std::string>> slides;
  for (const char* folder : {LANTERNA_SAMPLES_DIR, LANTERNA_CORPUS_DIR}) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) continue;
    for (auto& entry : fs::directory_iterator(folder)) {
      const std::string path = entry.path().string();
      const int kind = SlideKindOf(entry.path().filename().string());
      if (kind == kKindLibrary) {
        char name[64];
        while (MemberIterator(path.c_str(), name)) slides.emplace_back(path, name);
      } else if (kind != kKindNone) {
        slides.emplace_back(path, "");
      }
    }
  }
  return slides;
}

TEST(PngWriter, RealSlidesMatchTheirPpmAndVectorSlidesAreIndexed) {
  fixtures::RecordedServices services;
  fixtures::TempDir dir;
  const auto slides = RealSlides();
  ASSERT_FALSE(slides.empty());
  for (const auto& [path, member] : slides) {
    RenderRequest r;
    r.path = path, r.member = member, r.width = 320, r.height = 240;
    RenderResult out = RenderSlide(r);
    if (out.result < 0 || !out.bitmap) continue;  // damaged samples are refused elsewhere
    fixtures::Bytes ppm;
    DecodedPng png = WriteBoth(*out.bitmap, dir, &ppm);
    EXPECT_EQ(png.rgb, ppm) << path << "," << member;
    if (SlideKindOf(fs::path(path).filename().string()) != kKindRendering) {
      EXPECT_EQ(png.colourType, PNG_COLOR_TYPE_PALETTE) << path << "," << member;
    }
  }
}

}  // namespace
