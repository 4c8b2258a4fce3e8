// PDF pages: what pdftoppm makes of a slide's page is the picture of its PNG.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/cli_runner.h"
#include "tests/png_reader.h"
#include "tests/test_support.h"

namespace {

using fixtures::Cli;
using fixtures::Quote;

bool HavePdftoppm() {
  return std::system("command -v pdftoppm >/dev/null 2>&1") == 0;
}

// The share of pixels that differ from the other picture with no pixel of their colour
// within one pixel there: anti-aliasing and rounding move edges by a pixel, not more.
double UnexplainedDifference(const fixtures::DecodedPng& a, const fixtures::DecodedPng& b) {
  auto at = [](const fixtures::DecodedPng& p, int x, int y) {
    return p.rgb.data() + (static_cast<size_t>(y) * p.width + x) * 3;
  };
  size_t unexplained = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const uint8_t* want = at(a, x, y);
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          const int xx = x + dx, yy = y + dy;
          found = xx >= 0 && yy >= 0 && xx < b.width && yy < b.height &&
                  std::equal(want, want + 3, at(b, xx, yy));
        }
      unexplained += !found;
    }
  return static_cast<double>(unexplained) / (static_cast<double>(a.width) * a.height);
}

size_t Ink(const fixtures::DecodedPng& p) {
  size_t ink = 0;
  for (size_t i = 0; i + 2 < p.rgb.size(); i += 3)
    ink += p.rgb[i] + p.rgb[i + 1] + p.rgb[i + 2] < 765;
  return ink;
}

TEST(PdfOutput, RasterisedPageShowsThePngPicture) {
  if (!HavePdftoppm()) GTEST_SKIP() << "no pdftoppm (poppler-utils)";
  fixtures::TempDir dir;
  const std::string filled = dir.Write("filled.sld", fixtures::SlideWriter(400, 300)
                                                         .Colour(1)
                                                         .Fill({{50, 50}, {350, 60}, {200, 250}})
                                                         .Colour(5)
                                                         .Vector(0, 0, 399, 299)
                                                         .EndOfFile()
                                                         .Build());
  const std::string slides[] = {filled, LANTERNA_SAMPLES_DIR "/floorplan.sld",
                                LANTERNA_SAMPLES_DIR "/sphere.rnd",
                                LANTERNA_SAMPLES_DIR "/shapes.slb,PLAN"};
  for (const std::string& slide : slides) {
    const std::string png = dir.File("a.png"), pdf = dir.File("a.pdf");
    ASSERT_EQ(Cli("render " + Quote(slide) + " -o " + Quote(png)).exit, 0) << slide;
    ASSERT_EQ(Cli("render " + Quote(slide) + " -o " + Quote(pdf)).exit, 0) << slide;
    const fixtures::DecodedPng picture = fixtures::ReadPng(png);
    const std::string command = "pdftoppm -png -singlefile -aa no -aaVector no -scale-to-x " +
                                std::to_string(picture.width) + " -scale-to-y " +
                                std::to_string(picture.height) + " " + Quote(pdf) + " " +
                                Quote(dir.File("page"));
    ASSERT_EQ(std::system(command.c_str()), 0) << slide;
    const fixtures::DecodedPng page = fixtures::ReadPng(dir.File("page.png"));
    ASSERT_EQ(page.width, picture.width) << slide;
    ASSERT_EQ(page.height, picture.height) << slide;
    EXPECT_LT(UnexplainedDifference(picture, page), 0.02) << slide;
    // A blank page would pass the above on a sparse drawing.
    EXPECT_GT(Ink(page), Ink(picture) / 2) << slide;
    EXPECT_LT(Ink(page), Ink(picture) * 2) << slide;
  }
}

}  // namespace
