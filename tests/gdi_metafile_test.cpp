#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "platform/gdi/gdi.h"

namespace gdi {
namespace {

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A 100x50 slide as a 200x100 picture, with the window the slide engine sets (y up).
class GdiMetafile : public ::testing::Test {
 protected:
  GdiMetafile() {
    SetWindowExtEx(dc(), 100, -50, nullptr);
    SetWindowOrgEx(dc(), 0, 50, nullptr);
  }
  ~GdiMetafile() override {
    SelectObject(dc(), GetStockObject(BLACK_PEN));
    SelectObject(dc(), GetStockObject(WHITE_BRUSH));
  }
  HDC dc() { return mf_.get(); }
  std::string Svg(int w = 200, int h = 100) {
    std::ostringstream out;
    WriteMetafileSvg(dc(), out, w, h);
    return out.str();
  }
  void Line(int x0, int y0, int x1, int y1) {
    MoveToEx(dc(), x0, y0, nullptr);
    LineTo(dc(), x1, y1);
  }
  std::unique_ptr<DeviceContext> mf_ = CreateMetafileDC();
};

TEST_F(GdiMetafile, LinesShareAPathPerRunOfOneStyle) {
  HPEN wide = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));  // same colour, own path
  Line(0, 0, 100, 50);
  LineTo(dc(), 100, 40);  // continues the subpath
  Line(25, 10, 30, 10);
  SelectObject(dc(), wide);
  LineTo(dc(), 40, 10);
  SelectObject(dc(), GetStockObject(NULL_PEN));
  LineTo(dc(), 0, 0);  // not recorded
  EXPECT_EQ(MetafileRecordCount(dc()), 4u);
  const std::string svg = Svg();
  EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
  EXPECT_NE(svg.find("width=\"200\" height=\"100\" viewBox=\"0 0 200 100\""), std::string::npos);
  EXPECT_NE(svg.find("<rect width=\"200\" height=\"100\" fill=\"#ffffff\"/>"), std::string::npos);
  EXPECT_EQ(Occurrences(svg, "<path"), 2u);
  EXPECT_EQ(Occurrences(svg, "stroke-linecap=\"round\""), 2u);
  EXPECT_NE(svg.find("stroke=\"#000000\" stroke-width=\"2\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("d=\"M0 100L200 0L200 20M50 80L60 80\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("stroke=\"#000000\" stroke-width=\"6\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  DeleteObject(wide);
}

TEST_F(GdiMetafile, PolygonsPixelsAndBlits) {
  HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
  SelectObject(dc(), brush);
  const POINT tri[3] = {{0, 0}, {50, 50}, {100, 0}};
  Polygon(dc(), tri, 3);
  SelectObject(dc(), GetStockObject(NULL_PEN));
  SelectObject(dc(), GetStockObject(NULL_BRUSH));
  Polygon(dc(), tri, 3);
  EXPECT_EQ(SetPixel(dc(), 10, 20, PALETTERGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(BitBlt(dc(), 0, 0, 10, 10, nullptr, 0, 0, WHITENESS), 1);
  EXPECT_EQ(MetafileRecordCount(dc()), 3u);
  const std::string svg = Svg();
  EXPECT_EQ(Occurrences(svg, "<polygon fill-rule=\"evenodd\""), 2u);
  EXPECT_EQ(Occurrences(svg, "points=\"0,100 100,0 200,100\""), 2u);
  EXPECT_NE(svg.find("fill=\"#00ff00\" stroke=\"#000000\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("fill=\"none\" stroke=\"none\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("<rect x=\"20\" y=\"58\" width=\"2\" height=\"2\" fill=\"#010203\"/>"),
            std::string::npos)
      << svg;
  EXPECT_EQ(Occurrences(svg, "<path"), 0u);  // outlines belong to the polygon
  DeleteObject(brush);
}

TEST_F(GdiMetafile, CoordinatesKeepTwoDecimals) {
  SetWindowExtEx(dc(), 300, -300, nullptr);
  SetWindowOrgEx(dc(), 0, 300, nullptr);
  Line(1, 299, 2, 1);
  const std::string svg = Svg(100, 100);
  EXPECT_NE(svg.find("d=\"M0.33 0.33L0.67 99.67\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("stroke-width=\"1\""), std::string::npos);  // a third, kept a hairline
  std::ostringstream none;
  auto raster = CreateRasterDC(nullptr, DeviceCaps::TrueColour());
  WriteMetafileSvg(raster.get(), none, 10, 10);
  EXPECT_TRUE(none.str().empty());
  EXPECT_EQ(MetafileRecordCount(raster.get()), 0u);
}

// 200,000 lines in runs of 1,000 per pen: one path per run, a few bytes per line (the time it
// takes is measured by bench/metafile_bench.cpp).
TEST_F(GdiMetafile, ABigPictureIsOnePathPerRunOfOnePen) {
  HPEN pens[2] = {CreatePen(PS_SOLID, 1, RGB(255, 0, 0)), CreatePen(PS_SOLID, 1, RGB(0, 0, 255))};
  for (int i = 0; i < 200000; ++i) {
    if (i % 1000 == 0) SelectObject(dc(), pens[(i / 1000) % 2]);
    Line(i % 100, (i / 100) % 50, (i * 7) % 100, (i * 3) % 50);
  }
  const std::string svg = Svg();
  EXPECT_EQ(Occurrences(svg, "<path"), 200u);
  EXPECT_LT(svg.size(), 200000u * 40);
  SelectObject(dc(), GetStockObject(BLACK_PEN));
  for (HPEN p : pens) DeleteObject(p);
}

}  // namespace
}  // namespace gdi
