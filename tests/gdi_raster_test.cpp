#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A white true-colour surface with a raster context on it.
struct Canvas {
  Canvas(int w, int h, DeviceCaps caps = DeviceCaps::TrueColour()) {
    surface.width = w;
    surface.height = h;
    surface.pixels.assign(static_cast<size_t>(w) * h, kWhite);
    dc = CreateRasterDC(&surface, caps);
  }
  HDC operator*() { return dc.get(); }
  bool Lit(int x, int y) const { return surface.At(x, y) != kWhite; }
  int LitCount() const {
    int n = 0;
    for (COLORREF p : surface.pixels) n += p != kWhite;
    return n;
  }
  // One string per row, '#' where anything was drawn.
  std::vector<std::string> Art() const {
    std::vector<std::string> rows;
    for (int y = 0; y < surface.height; ++y) {
      std::string row;
      for (int x = 0; x < surface.width; ++x) row += Lit(x, y) ? '#' : '.';
      rows.push_back(row);
    }
    return rows;
  }
  void Line(int x0, int y0, int x1, int y1) {
    MoveToEx(dc.get(), x0, y0, nullptr);
    LineTo(dc.get(), x1, y1);
  }
  Bitmap surface;
  std::unique_ptr<DeviceContext> dc;
};

// Owns a pen or brush and keeps it selected for a test's duration.
struct Selected {
  Selected(HDC dc, HGDIOBJ obj) : dc(dc), obj(obj), previous(SelectObject(dc, obj)) {}
  ~Selected() {
    SelectObject(dc, previous);
    DeleteObject(obj);
  }
  HDC dc;
  HGDIOBJ obj, previous;
};

using Art = std::vector<std::string>;

TEST(GdiLine, LeavesTheEndPixelOut) {
  Canvas c(10, 5);
  MoveToEx(*c, 2, 1, nullptr);
  LineTo(*c, 7, 1);
  EXPECT_EQ(c.dc->CurrentPosition().x, 7);
  LineTo(*c, 7, 4);  // starts on the pixel the first line left out
  EXPECT_EQ(c.Art(), (Art{"..........", "..######..", ".......#..", ".......#..", ".........."}));
}

TEST(GdiLine, ZeroLengthDrawsNothing) {
  Canvas c(5, 5);
  c.Line(2, 2, 2, 2);
  EXPECT_EQ(c.LitCount(), 0);
}

TEST(GdiLine, DiagonalsInBothDirections) {
  Canvas c(10, 8);
  c.Line(1, 1, 6, 6);
  c.Line(8, 1, 3, 6);
  EXPECT_EQ(c.Art(), (Art{"..........", ".#......#.", "..#....#..", "...#..#...", "....##....",
                          "....##....", "..........", ".........."}));
}

TEST(GdiLine, ReversedVerticalStillSkipsItsEnd) {
  Canvas c(3, 10);
  c.Line(1, 9, 1, 2);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(c.Lit(1, y), y >= 3) << y;
}

// With an odd major length no step falls exactly between two pixels, so the nearest pixel
// on the minor axis is the only right answer.
TEST(GdiLine, StepsToTheNearestPixel) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coord(0, 63);
  for (int trial = 0; trial < 300; ++trial) {
    const int x0 = coord(random), y0 = coord(random);
    int x1 = coord(random), y1 = coord(random);
    const bool xMajor = std::abs(x1 - x0) >= std::abs(y1 - y0);
    int& major1 = xMajor ? x1 : y1;
    const int major0 = xMajor ? x0 : y0;
    if ((major1 - major0) % 2 == 0) major1 += major1 > 0 ? -1 : 1;
    if (x0 == x1 && y0 == y1) continue;
    const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    if (n % 2 == 0) continue;  // the nudge turned a diagonal into an even line

    Canvas c(64, 64);
    c.Line(x0, y0, x1, y1);
    Canvas expected(64, 64);
    for (int k = 0; k < n; ++k) {
      const int x = x0 + static_cast<int>(std::lround(static_cast<double>(k) * (x1 - x0) / n));
      const int y = y0 + static_cast<int>(std::lround(static_cast<double>(k) * (y1 - y0) / n));
      expected.surface.pixels[y * 64 + x] = 0;
    }
    ASSERT_EQ(c.Art(), expected.Art()) << x0 << "," << y0 << " -> " << x1 << "," << y1;
  }
}

TEST(GdiLine, ClippedLinesKeepTheirUnclippedPixels) {
  constexpr int kMargin = 130;
  std::mt19937 random(11);
  std::uniform_int_distribution<int> coord(-kMargin, 170);
  std::uniform_int_distribution<int> small(-3, 3);
  for (int trial = 0; trial < 3000; ++trial) {
    const int x0 = coord(random), y0 = coord(random);
    int x1 = coord(random), y1 = coord(random);
    // A third of the lines are almost axis-parallel: they cross an edge in a single step.
    if (trial % 3 == 1) y1 = y0 + small(random);
    if (trial % 3 == 2) x1 = x0 + small(random);
    Canvas whole(300 + kMargin, 300 + kMargin);
    SetViewportOrgEx(*whole, kMargin, kMargin, nullptr);
    whole.Line(x0, y0, x1, y1);
    Canvas part(40, 30);
    part.Line(x0, y0, x1, y1);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) {
        ASSERT_EQ(part.Lit(x, y), whole.Lit(x + kMargin, y + kMargin))
            << x0 << "," << y0 << " -> " << x1 << "," << y1 << " at " << x << "," << y;
      }
    }
  }
}

// Slopes like 1/2 put steps exactly between pixels; where such a line enters the canvas
// decides which pixel comes first.
TEST(GdiLine, ClippedLinesWithTiesKeepTheirPixels) {
  constexpr int kMargin = 60;
  const int ratios[][2] = {{2, 1}, {1, 2}, {4, 1}, {1, 4}, {4, 3}, {3, 4}, {6, 4}, {4, 6}};
  for (const auto& ratio : ratios) {
    for (int sign = 0; sign < 4; ++sign) {
      for (int start = -kMargin; start < 0; start += 3) {
        const int dx = (sign & 1 ? -1 : 1) * ratio[0] * 20, dy = (sign & 2 ? -1 : 1) * ratio[1] * 20;
        const int x0 = dx > 0 ? start : 19 - start, y0 = dy > 0 ? start / 2 : 14 - start / 2;
        Canvas whole(20 + 2 * kMargin + 200, 15 + 2 * kMargin + 200);
        SetViewportOrgEx(*whole, kMargin + 100, kMargin + 100, nullptr);
        whole.Line(x0, y0, x0 + dx, y0 + dy);
        Canvas part(20, 15);
        part.Line(x0, y0, x0 + dx, y0 + dy);
        for (int y = 0; y < 15; ++y) {
          for (int x = 0; x < 20; ++x) {
            ASSERT_EQ(part.Lit(x, y), whole.Lit(x + kMargin + 100, y + kMargin + 100))
                << x0 << "," << y0 << " +" << dx << "," << dy << " at " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST(GdiLine, FarEndpointsStillGiveTheRightPixels) {
  Canvas c(20, 10);
  c.Line(-2000000000, 5, 2000000000, 5);
  c.Line(3, INT_MIN, 3, INT_MAX);
  c.Line(-1000000000, -1000000000, 1000000000, 1000000000);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) EXPECT_EQ(c.Lit(x, y), y == 5 || x == 3 || x == y) << x << y;
  }
}

// Lines through (0, 3) whose steps fall exactly between pixels: started a billion pixels
// out, they still step as a short line from the same side does.
TEST(GdiLine, FarLinesStepLikeTheirShortCopies) {
  constexpr int kFar = 250000000;
  const int slopes[][2] = {{2, 1}, {1, 2}, {3, 2}, {2, 3}, {2, -1}, {-1, 2}};
  for (const auto& s : slopes) {
    for (int direction : {1, -1}) {
      const int p = s[0] * direction, q = s[1] * direction;
      Canvas far(20, 14), near(20, 14);
      far.Line(-p * kFar, -q * kFar + 3, p * kFar, q * kFar + 3);
      near.Line(-p * 40, -q * 40 + 3, p * 40, q * 40 + 3);
      EXPECT_EQ(far.Art(), near.Art()) << p << "/" << q;
      EXPECT_GT(near.LitCount(), 5);
    }
  }
}

TEST(GdiLine, NullPenDrawsNothingAndPenColourIsUsed) {
  Canvas c(8, 4);
  {
    Selected pen(*c, CreatePen(PS_NULL, 1, kRed));
    c.Line(0, 1, 8, 1);
  }
  EXPECT_EQ(c.LitCount(), 0);
  Selected pen(*c, CreatePen(PS_SOLID, 0, kRed));
  c.Line(0, 2, 8, 2);
  EXPECT_EQ(c.surface.At(7, 2), kRed);
  EXPECT_EQ(c.LitCount(), 8);
}

int LitInColumn(const Canvas& c, int x) {
  int n = 0;
  for (int y = 0; y < c.surface.height; ++y) n += c.Lit(x, y);
  return n;
}

int LitInRow(const Canvas& c, int y) {
  int n = 0;
  for (int x = 0; x < c.surface.width; ++x) n += c.Lit(x, y);
  return n;
}

TEST(GdiLine, WidePensAreAsManyPixelsWide) {
  for (int w = 2; w <= 7; ++w) {
    Canvas c(60, 60);
    Selected pen(*c, CreatePen(PS_SOLID, w, kRed));
    c.Line(10, 20, 40, 20);
    c.Line(50, 30, 50, 55);
    EXPECT_EQ(LitInColumn(c, 25), w) << w;
    EXPECT_EQ(LitInRow(c, 40), w) << w;
    EXPECT_TRUE(c.Lit(25, 20));
    EXPECT_TRUE(c.Lit(50, 40));
    // Round ends reach about half the width past each end.
    EXPECT_TRUE(c.Lit(10 - (w - 1) / 2, 20)) << w;
    EXPECT_FALSE(c.Lit(10 - w, 20)) << w;
    EXPECT_FALSE(c.Lit(40 + w, 20)) << w;
  }
}

TEST(GdiLine, WideDiagonalCoversItsWidthAcross) {
  Canvas c(60, 60);
  Selected pen(*c, CreatePen(PS_SOLID, 6, kRed));
  c.Line(10, 10, 40, 40);
  const int across = LitInRow(c, 25);  // a horizontal cut is w * sqrt(2) wide
  EXPECT_GE(across, 8);
  EXPECT_LE(across, 9);
  EXPECT_TRUE(c.Lit(25, 25));
  EXPECT_FALSE(c.Lit(25, 31));
}

TEST(GdiLine, PenWidthIsScaledByTheMapping) {
  Canvas c(60, 60);
  SetMapMode(*c, MM_ISOTROPIC);
  SetWindowExtEx(*c, 120, 120, nullptr);
  SetViewportExtEx(*c, 60, 60, nullptr);
  Selected pen(*c, CreatePen(PS_SOLID, 10, kRed));
  c.Line(20, 40, 100, 40);
  EXPECT_EQ(LitInColumn(c, 30), 5);
}

// An independent membership test: the integer point is inside when an odd number of edges
// cross its row at or left of it (rows half-open downwards).
bool InsideEvenOdd(const std::vector<POINT>& poly, int x, int y) {
  bool inside = false;
  for (size_t i = 0; i < poly.size(); ++i) {
    POINT a = poly[i], b = poly[(i + 1) % poly.size()];
    if (a.y > b.y) std::swap(a, b);
    if (y < a.y || y >= b.y) continue;
    // crossing x <= x  <=>  a.x * dy + (y - a.y) * dx <= x * dy, dy > 0
    const long long dx = b.x - a.x, dy = b.y - a.y;
    if (a.x * dy + (y - a.y) * dx <= static_cast<long long>(x) * dy) inside = !inside;
  }
  return inside;
}

void FillOnly(Canvas& c, const std::vector<POINT>& poly) {
  Selected pen(*c, GetStockObject(NULL_PEN));
  Selected brush(*c, CreateSolidBrush(kRed));
  Polygon(*c, poly.data(), static_cast<int>(poly.size()));
}

void ExpectFillMatches(const Canvas& c, const std::vector<POINT>& poly) {
  for (int y = 0; y < c.surface.height; ++y) {
    for (int x = 0; x < c.surface.width; ++x) {
      ASSERT_EQ(c.Lit(x, y), InsideEvenOdd(poly, x, y)) << x << "," << y;
    }
  }
}

TEST(GdiPolygon, SquareIncludesItsTopLeftEdgesOnly) {
  Canvas c(12, 12);
  FillOnly(c, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  EXPECT_EQ(c.LitCount(), 100);
  EXPECT_TRUE(c.Lit(0, 0));
  EXPECT_TRUE(c.Lit(9, 9));
  EXPECT_FALSE(c.Lit(10, 5));
  EXPECT_FALSE(c.Lit(5, 10));
  EXPECT_EQ(c.surface.At(3, 3), kRed);
}

TEST(GdiPolygon, Triangle) {
  Canvas c(10, 10);
  FillOnly(c, {{0, 0}, {8, 0}, {0, 8}});
  EXPECT_EQ(c.Art(), (Art{"########..", "#######...", "######....", "#####.....", "####......",
                          "###.......", "##........", "#.........", "..........", ".........."}));
}

TEST(GdiPolygon, SlantedEdgesMatchThePointTest) {
  Canvas c(20, 20);
  const std::vector<POINT> poly{{2, 1}, {17, 4}, {11, 18}, {1, 13}};
  FillOnly(c, poly);
  ExpectFillMatches(c, poly);
  EXPECT_GT(c.LitCount(), 150);
}

TEST(GdiPolygon, PentagramLeavesItsCentreEmpty) {
  Canvas c(100, 100);
  std::vector<POINT> star;
  for (int i = 0; i < 5; ++i) {
    const double angle = -M_PI / 2 + (i * 2 % 5) * 2 * M_PI / 5;
    star.push_back({static_cast<int32_t>(std::lround(50 + 40 * std::cos(angle))),
                    static_cast<int32_t>(std::lround(50 + 40 * std::sin(angle)))});
  }
  FillOnly(c, star);
  EXPECT_FALSE(c.Lit(50, 50));
  EXPECT_FALSE(c.Lit(52, 45));
  EXPECT_TRUE(c.Lit(50, 15));  // in the top point
  ExpectFillMatches(c, star);
}

TEST(GdiPolygon, RandomPolygonsMatchThePointTest) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> coord(-6, 46);
  std::uniform_int_distribution<int> size(3, 9);
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<POINT> poly(static_cast<size_t>(size(random)));
    for (POINT& p : poly) p = {coord(random), coord(random)};
    Canvas c(40, 40);
    FillOnly(c, poly);
    ExpectFillMatches(c, poly);
  }
}

TEST(GdiPolygon, TheOutlineIsDrawnWithThePen) {
  Canvas c(12, 12);
  Selected pen(*c, CreatePen(PS_SOLID, 1, kBlue));
  Selected brush(*c, CreateSolidBrush(kRed));
  const POINT tri[3] = {{1, 1}, {10, 1}, {1, 10}};
  MoveToEx(*c, 7, 8, nullptr);
  EXPECT_EQ(Polygon(*c, tri, 3), 1);
  for (const POINT& p : tri) EXPECT_EQ(c.surface.At(p.x, p.y), kBlue);
  EXPECT_EQ(c.surface.At(5, 1), kBlue);
  EXPECT_EQ(c.surface.At(1, 5), kBlue);
  EXPECT_EQ(c.surface.At(5, 6), kBlue);  // on the hypotenuse
  EXPECT_EQ(c.surface.At(3, 3), kRed);
  EXPECT_EQ(c.surface.At(8, 8), kWhite);
  EXPECT_EQ(c.dc->CurrentPosition().x, 7);
  EXPECT_EQ(c.dc->CurrentPosition().y, 8);
}

TEST(GdiPolygon, HollowBrushOnlyOutlines) {
  Canvas c(12, 12);
  Selected brush(*c, GetStockObject(NULL_BRUSH));
  const POINT square[4] = {{1, 1}, {9, 1}, {9, 9}, {1, 9}};
  Polygon(*c, square, 4);
  EXPECT_EQ(c.LitCount(), 32);
  EXPECT_FALSE(c.Lit(5, 5));
}

TEST(GdiPolygon, FewerThanThreePoints) {
  Canvas c(6, 3);
  const POINT two[2] = {{1, 1}, {4, 1}};
  EXPECT_EQ(Polygon(*c, two, 1), 0);
  EXPECT_EQ(c.LitCount(), 0);
  EXPECT_EQ(Polygon(*c, two, 2), 1);  // there and back: both ends drawn
  EXPECT_EQ(c.Art(), (Art{"......", ".####.", "......"}));
}

TEST(GdiPolygon, FarVerticesKeepTheShape) {
  Canvas c(16, 16);
  FillOnly(c, {{-2000000000, -2000000000}, {2000000000, -2000000000}, {-2000000000, 2000000000}});
  // The hypotenuse x + y = 0 only touches the canvas at (0, 0), on its excluded right side.
  EXPECT_EQ(c.LitCount(), 0);
  FillOnly(c, {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}});
  EXPECT_EQ(c.LitCount(), 256);
}

// Source: a 4x3 bitmap whose pixels all differ, in a memory context.
struct Source {
  Source() : dc(CreateCompatibleDC(nullptr)), bitmap(CreateBitmap(4, 3, 1, 32, nullptr)) {
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) bitmap->pixels[y * 4 + x] = RGB(x, y, 7);
    }
    previous = SelectObject(dc, bitmap);
  }
  ~Source() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
};

void FlipY(HDC dc, int height) {
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 10, -10, nullptr);
  SetViewportExtEx(dc, 10, 10, nullptr);
  SetWindowOrgEx(dc, 0, height, nullptr);
}

TEST(GdiBlit, CopiesOneToOneUnderAFlippedMapping) {
  // Logical y 5..8 is device rows 5..2 on the flipped canvas.
  {
    Source src;
    Canvas c(10, 10);
    FlipY(*c, 10);
    ASSERT_EQ(BitBlt(*c, 2, 5, 4, 3, src.dc, 0, 0, SRCCOPY), 1);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) EXPECT_EQ(c.surface.At(2 + x, 2 + y), RGB(x, y, 7));
    }
    EXPECT_EQ(c.LitCount(), 12);
  }
  // Both flipped, addressed from their logical top: still no mirroring.
  {
    Source src;
    FlipY(src.dc, 3);
    Canvas c(10, 10);
    FlipY(*c, 10);
    ASSERT_EQ(BitBlt(*c, 2, 8, 4, -3, src.dc, 0, 3, SRCCOPY), 1);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) EXPECT_EQ(c.surface.At(2 + x, 2 + y), RGB(x, y, 7));
    }
    EXPECT_EQ(c.LitCount(), 12);
  }
}

TEST(GdiBlit, WhitenessAndBlacknessNeedNoSource) {
  Canvas c(10, 10);
  FlipY(*c, 10);
  EXPECT_EQ(BitBlt(*c, 0, 10, 10, -10, nullptr, 0, 0, BLACKNESS), 1);
  EXPECT_EQ(c.LitCount(), 100);
  EXPECT_EQ(BitBlt(*c, 1, 9, 3, -2, nullptr, 0, 0, WHITENESS), 1);  // rows 1-2, columns 1-3
  EXPECT_EQ(c.LitCount(), 94);
  EXPECT_FALSE(c.Lit(1, 1));
  EXPECT_FALSE(c.Lit(3, 2));
  EXPECT_TRUE(c.Lit(4, 1));
  EXPECT_TRUE(c.Lit(1, 3));
  EXPECT_EQ(BitBlt(*c, 0, 0, 5, 5, nullptr, 0, 0, SRCCOPY), 0);
  EXPECT_EQ(BitBlt(nullptr, 0, 0, 5, 5, nullptr, 0, 0, WHITENESS), 0);
}

TEST(GdiBlit, ClipsAgainstBothSurfaces) {
  Source src;
  Canvas c(5, 5);
  // Column -1 and row 5 are off the canvas; the source has rows 1-2 to give.
  BitBlt(*c, -1, 3, 4, 3, src.dc, 0, 1, SRCCOPY);
  EXPECT_EQ(c.LitCount(), 6);
  EXPECT_EQ(c.surface.At(0, 3), RGB(1, 1, 7));
  EXPECT_EQ(c.surface.At(2, 4), RGB(3, 2, 7));
  Canvas d(5, 5);
  BitBlt(*d, 0, 0, 3, 3, src.dc, -2, -1, SRCCOPY);  // source starts before its bitmap
  EXPECT_EQ(d.LitCount(), 2);
  EXPECT_EQ(d.surface.At(2, 1), RGB(0, 0, 7));
  EXPECT_EQ(d.surface.At(2, 2), RGB(0, 1, 7));
}

TEST(GdiBlit, UnknownOperationsCopy) {
  Source src;
  Canvas c(4, 3);
  BitBlt(*c, 0, 0, 4, 3, src.dc, 0, 0, 0x00EE0086);
  EXPECT_EQ(c.surface.pixels, src.bitmap->pixels);
}

TEST(GdiBlit, OverlappingCopyWithinOneSurface) {
  Canvas c(6, 6);
  for (int i = 0; i < 36; ++i) c.surface.pixels[i] = RGB(i, 0, 0);
  BitBlt(*c, 1, 1, 4, 4, *c, 0, 0, SRCCOPY);  // down and right by one
  for (int y = 1; y < 5; ++y) {
    for (int x = 1; x < 5; ++x) EXPECT_EQ(c.surface.At(x, y), RGB((y - 1) * 6 + x - 1, 0, 0));
  }
}

TEST(GdiBlit, AReversedSourceRectangleIsNormalisedToo) {
  Source src;
  Canvas c(10, 10);
  FlipY(*c, 10);
  // Height -3 from source row 3 spans source rows 0-2.
  ASSERT_EQ(BitBlt(*c, 2, 8, 4, -3, src.dc, 0, 3, SRCCOPY), 1);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(c.surface.At(2 + x, 2 + y), RGB(x, y, 7));
  }
}

TEST(GdiRobustness, ExtremeCoordinatesNeverWriteOutsideTheSurface) {
  const int values[] = {INT_MIN, INT_MIN + 1, -(1 << 30), -70000, -1, 0, 3, 70000,
                        1 << 30, INT_MAX - 1, INT_MAX};
  for (int mode = 0; mode < 3; ++mode) {
    Canvas c(7, 5);
    if (mode == 1) {
      SetMapMode(*c, MM_ISOTROPIC);
      SetWindowExtEx(*c, 1, 1, nullptr);
      SetViewportExtEx(*c, INT_MAX, INT_MIN + 1, nullptr);
    } else if (mode == 2) {
      SetMapMode(*c, MM_ANISOTROPIC);
      SetWindowExtEx(*c, INT_MAX, -3, nullptr);
      SetViewportExtEx(*c, -3, INT_MAX, nullptr);
      SetWindowOrgEx(*c, INT_MIN, INT_MAX, nullptr);
      SetViewportOrgEx(*c, INT_MAX, INT_MIN, nullptr);
    }
    HPEN wide = CreatePen(PS_SOLID, INT_MAX, kRed);
    HPEN thin = CreatePen(PS_SOLID, 1, kBlue);
    Source src;
    for (int a : values) {
      for (int b : values) {
        SelectObject(*c, (a ^ b) & 1 ? wide : thin);
        MoveToEx(*c, a, b, nullptr);
        LineTo(*c, b, a);
        LineTo(*c, 3, 2);
        LineTo(*c, a, a);
        const POINT poly[4] = {{a, b}, {b, a}, {3, b}, {a, 2}};
        Polygon(*c, poly, 4);
        SetPixel(*c, a, b, kRed);
        GetPixel(*c, b, a);
        BitBlt(*c, a, b, a, b, src.dc, b, a, SRCCOPY);
        BitBlt(*c, 0, 0, 7, 5, src.dc, a, b, SRCCOPY);
        BitBlt(*c, a, b, b, a, nullptr, 0, 0, WHITENESS);
      }
    }
    SelectObject(*c, GetStockObject(BLACK_PEN));
    DeleteObject(wide);
    DeleteObject(thin);
    EXPECT_EQ(c.surface.pixels.size(), 35u);
  }
}

TEST(GdiRobustness, MissingOrShortSurfacesDrawNothing) {
  auto none = CreateRasterDC(nullptr, DeviceCaps::TrueColour());
  MoveToEx(none.get(), 0, 0, nullptr);
  EXPECT_EQ(LineTo(none.get(), 5, 5), 1);
  EXPECT_EQ(SetPixel(none.get(), 0, 0, kRed), CLR_INVALID);
  EXPECT_EQ(GetPixel(none.get(), 0, 0), CLR_INVALID);

  Bitmap shortRows;  // claims 4x4 but holds only six pixels
  shortRows.width = shortRows.height = 4;
  shortRows.pixels.assign(6, kWhite);
  auto dc = CreateRasterDC(&shortRows, DeviceCaps::TrueColour());
  const POINT square[4] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  Polygon(dc.get(), square, 4);
  EXPECT_EQ(GetPixel(dc.get(), 3, 3), CLR_INVALID);
  EXPECT_EQ(shortRows.pixels.size(), 6u);
  EXPECT_EQ(shortRows.pixels[4], kWhite);  // row 1 is incomplete, so not drawable
  EXPECT_EQ(shortRows.pixels[0], RGB(0, 0, 0));
}

}  // namespace
}  // namespace gdi
