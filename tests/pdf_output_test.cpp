// PDF pages: what pdftoppm makes of a slide's page is the picture of its PNG.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/cli_runner.h"
#include "tests/png_reader.h"
#include "tests/rendering_writer.h"
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
    // Three device pixels to each picture pixel, read at their middle: image pixels and lines
    // one pixel wide come out whole whatever the rasteriser does at their edges.
    const std::string command = "pdftoppm -png -singlefile -aa no -aaVector no -scale-to-x " +
                                std::to_string(3 * picture.width) + " -scale-to-y " +
                                std::to_string(3 * picture.height) + " " + Quote(pdf) + " " +
                                Quote(dir.File("page"));
    ASSERT_EQ(std::system(command.c_str()), 0) << slide;
    const fixtures::DecodedPng large = fixtures::ReadPng(dir.File("page.png"));
    ASSERT_EQ(large.width, 3 * picture.width) << slide;
    ASSERT_EQ(large.height, 3 * picture.height) << slide;
    fixtures::DecodedPng page = picture;
    for (int y = 0; y < page.height; ++y)
      for (int x = 0; x < page.width; ++x)
        std::copy_n(&large.rgb[((3 * y + 1) * static_cast<size_t>(large.width) + 3 * x + 1) * 3], 3,
                    &page.rgb[(static_cast<size_t>(y) * page.width + x) * 3]);
    EXPECT_LT(UnexplainedDifference(picture, page), 0.02) << slide;
    // A blank page would pass the above on a sparse drawing.
    EXPECT_GT(Ink(page), Ink(picture) / 2) << slide;
    EXPECT_LT(Ink(page), Ink(picture) * 2) << slide;
  }
}

// Poppler smooths images it scales, so the image itself is read back: the PNG's pixels.
TEST(PdfOutput, ScanlineRenderingIsItsPictureAsAnImage) {
  if (std::system("command -v pdfimages >/dev/null 2>&1") != 0) GTEST_SKIP() << "no pdfimages";
  fixtures::TempDir dir;
  fixtures::RenderingWriter scan(60, 40);
  scan.ColourEntry(3, 255, 0, 0).ColourEntry(4, 0, 255, 0);
  for (int y = 0; y < 40; y += 2) scan.Scanline(5, y, 40, {static_cast<uint8_t>(3 + y % 4 / 2)});
  const std::string slide = dir.Write("scan.rnd", scan.Build());
  ASSERT_EQ(Cli("render " + Quote(slide) + " -o " + Quote(dir.File("a.png"))).exit, 0);
  ASSERT_EQ(Cli("render " + Quote(slide) + " -o " + Quote(dir.File("a.pdf"))).exit, 0);
  const std::string command =
      "pdfimages -png " + Quote(dir.File("a.pdf")) + " " + Quote(dir.File("img"));
  ASSERT_EQ(std::system(command.c_str()), 0);
  const fixtures::DecodedPng picture = fixtures::ReadPng(dir.File("a.png"));
  const fixtures::DecodedPng image = fixtures::ReadPng(dir.File("img-000.png"));
  EXPECT_EQ(image.width, picture.width);
  EXPECT_EQ(image.height, picture.height);
  EXPECT_EQ(image.rgb, picture.rgb);
}

}  // namespace
