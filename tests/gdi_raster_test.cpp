#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

using Art = std::vector<std::string>;

// A white true-colour surface with a raster context drawing on it.
struct Canvas {
  Canvas(int w, int h) {
    surface.width = w;
    surface.height = h;
    surface.pixels.assign(static_cast<size_t>(w) * h, kWhite);
  }
  HDC operator*() { return dc.get(); }
  bool Lit(int x, int y) const { return surface.At(x, y) != kWhite; }
  int Count(int x0, int y0, int x1, int y1) const {  // lit pixels in [x0,x1) x [y0,y1)
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) n += Lit(x, y);
    }
    return n;
  }
  int Count() const { return Count(0, 0, surface.width, surface.height); }
  Art Picture() const {
    Art rows(surface.height, std::string(surface.width, '.'));
    for (int y = 0; y < surface.height; ++y) {
      for (int x = 0; x < surface.width; ++x) rows[y][x] = Lit(x, y) ? '#' : '.';
    }
    return rows;
  }
  void Line(int x0, int y0, int x1, int y1) {
    MoveToEx(dc.get(), x0, y0, nullptr);
    LineTo(dc.get(), x1, y1);
  }
  void Use(HGDIOBJ obj) { owned.emplace_back(obj, SelectObject(dc.get(), obj)); }
  ~Canvas() {
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
      SelectObject(dc.get(), it->second);
      DeleteObject(it->first);
    }
  }
  Bitmap surface;
  std::unique_ptr<DeviceContext> dc = CreateRasterDC(&surface, DeviceCaps::TrueColour());
  std::vector<std::pair<HGDIOBJ, HGDIOBJ>> owned;
};

TEST(GdiLine, EachLineLeavesItsEndPixelOut) {
  Canvas c(10, 7);
  MoveToEx(*c, 2, 1, nullptr);
  LineTo(*c, 7, 1);
  LineTo(*c, 7, 4);  // starts on the pixel the first one left out
  c.Line(1, 2, 4, 5);
  c.Line(9, 6, 6, 3);
  c.Line(5, 5, 5, 5);
  EXPECT_EQ(c.dc->CurrentPosition().x, 5);
  EXPECT_EQ(c.Picture(), (Art{"..........", "..######..", ".#.....#..", "..#....#..", "...#...#..",
                              "........#.", ".........#"}));
}

// With an odd major length no step is a tie, so the nearest pixel is the only right answer.
TEST(GdiLine, StepsToTheNearestPixel) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coord(0, 47);
  for (int trial = 0; trial < 300; ++trial) {
    const int x0 = coord(random), y0 = coord(random), x1 = coord(random), y1 = coord(random);
    const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    if (n % 2 == 0) continue;
    Canvas c(48, 48), expected(48, 48);
    c.Line(x0, y0, x1, y1);
    for (int k = 0; k < n; ++k) {
      expected.surface.pixels[(y0 + std::lround(1.0 * k * (y1 - y0) / n)) * 48 + x0 +
                              std::lround(1.0 * k * (x1 - x0) / n)] = 0;
    }
    ASSERT_EQ(c.Picture(), expected.Picture()) << x0 << "," << y0 << " " << x1 << "," << y1;
  }
}

TEST(GdiLine, ClippedLinesKeepTheirUnclippedPixels) {
  constexpr int kMargin = 130;
  std::mt19937 random(11);
  std::uniform_int_distribution<int> coord(-kMargin, 170), small(-3, 3);
  for (int trial = 0; trial < 3000; ++trial) {
    const int x0 = coord(random), y0 = coord(random);
    int x1 = coord(random), y1 = coord(random);
    // A third are almost axis-parallel: they cross an edge in a single step.
    if (trial % 3 == 1) y1 = y0 + small(random);
    if (trial % 3 == 2) x1 = x0 + small(random);
    Canvas whole(300 + kMargin, 300 + kMargin), part(40, 30);
    SetViewportOrgEx(*whole, kMargin, kMargin, nullptr);
    whole.Line(x0, y0, x1, y1);
    part.Line(x0, y0, x1, y1);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) {
        ASSERT_EQ(part.Lit(x, y), whole.Lit(x + kMargin, y + kMargin))
            << x0 << "," << y0 << " " << x1 << "," << y1 << " at " << x << "," << y;
      }
    }
  }
}

// Slopes whose steps fall exactly between pixels, started hundreds of millions of pixels out
// (and near 2^40 once scaled): they step exactly as a short line from the same side does.
TEST(GdiLine, FarLinesStepLikeTheirShortCopies) {
  constexpr int kFar = 250000000;
  const int slopes[][2] = {{2, 1}, {1, 2}, {3, 2}, {2, -3}, {8, 1}, {-1, 8}};
  for (const auto& s : slopes) {
    for (int sign : {1, -1}) {
      const int p = s[0] * sign, q = s[1] * sign;
      Canvas near(20, 14), far(20, 14), farther(20, 14);
      near.Line(10 - p * 40, 7 - q * 40, 10 + p * 40, 7 + q * 40);
      far.Line(10 - p * kFar, 7 - q * kFar, 10 + p * kFar, 7 + q * kFar);
      SetMapMode(*farther, MM_ANISOTROPIC);
      SetViewportExtEx(*farther, 256, 256, nullptr);
      SetViewportOrgEx(*farther, 10, 7, nullptr);
      farther.Use(CreatePen(PS_SOLID, 0, 0));
      farther.Line(-p * kFar, -q * kFar, p * kFar, q * kFar);
      EXPECT_EQ(far.Picture(), near.Picture()) << p << "/" << q;
      EXPECT_EQ(farther.Picture(), near.Picture()) << p << "/" << q;
    }
  }
}

TEST(GdiLine, WidePensCoverTheirWidthWithRoundEnds) {
  for (int w = 2; w <= 7; ++w) {
    Canvas c(60, 60);
    c.Use(CreatePen(PS_SOLID, w, kRed));
    c.Line(10, 20, 40, 20);
    c.Line(50, 30, 50, 55);
    EXPECT_EQ(c.Count(25, 0, 26, 60), w) << w;
    EXPECT_EQ(c.Count(0, 40, 60, 41), w) << w;
    EXPECT_EQ(c.surface.At(25, 20), kRed);
    EXPECT_TRUE(c.Lit(10 - (w - 1) / 2, 20)) << w;
    EXPECT_FALSE(c.Lit(10 - w, 20)) << w;
    EXPECT_FALSE(c.Lit(40 + w, 20)) << w;
  }
  Canvas c(60, 60);
  c.Use(CreatePen(PS_SOLID, 6, kRed));
  c.Line(10, 10, 40, 40);
  EXPECT_NEAR(c.Count(0, 25, 60, 26), 6 * std::sqrt(2.0), 1.0);
  Canvas none(8, 3);
  none.Use(CreatePen(PS_NULL, 1, kRed));
  none.Line(0, 1, 8, 1);
  EXPECT_EQ(none.Count(), 0);
}

// Independent membership: the integer point is in when an odd number of edges cross its row
// at or left of it (each edge's rows half-open downwards).
bool InsideEvenOdd(const std::vector<POINT>& poly, int x, int y) {
  bool inside = false;
  for (size_t i = 0; i < poly.size(); ++i) {
    POINT a = poly[i], b = poly[(i + 1) % poly.size()];
    if (a.y > b.y) std::swap(a, b);
    if (y < a.y || y >= b.y) continue;
    const long long dx = b.x - a.x, dy = b.y - a.y;
    if (a.x * dy + (y - a.y) * dx <= static_cast<long long>(x) * dy) inside = !inside;
  }
  return inside;
}

void Fill(Canvas& c, const std::vector<POINT>& poly) {
  c.Use(GetStockObject(NULL_PEN));
  c.Use(CreateSolidBrush(kRed));
  Polygon(*c, poly.data(), static_cast<int>(poly.size()));
}

void ExpectFillIsEvenOdd(const Canvas& c, const std::vector<POINT>& poly) {
  for (int y = 0; y < c.surface.height; ++y) {
    for (int x = 0; x < c.surface.width; ++x) {
      ASSERT_EQ(c.Lit(x, y), InsideEvenOdd(poly, x, y)) << x << "," << y;
    }
  }
}

TEST(GdiPolygon, FillIncludesTopAndLeftEdgesOnly) {
  Canvas square(12, 12);
  Fill(square, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  EXPECT_EQ(square.Count(), 100);
  EXPECT_EQ(square.Count(0, 0, 10, 10), 100);
  Canvas triangle(6, 6);
  Fill(triangle, {{0, 0}, {5, 0}, {0, 5}});
  EXPECT_EQ(triangle.Picture(), (Art{"#####.", "####..", "###...", "##....", "#.....", "......"}));
}

TEST(GdiPolygon, PentagramLeavesItsCentreEmpty) {
  Canvas c(100, 100);
  std::vector<POINT> star;
  for (int i = 0; i < 5; ++i) {
    const double angle = -M_PI / 2 + (i * 2 % 5) * 2 * M_PI / 5;
    star.push_back({static_cast<int32_t>(std::lround(50 + 40 * std::cos(angle))),
                    static_cast<int32_t>(std::lround(50 + 40 * std::sin(angle)))});
  }
  Fill(c, star);
  EXPECT_FALSE(c.Lit(50, 50));
  EXPECT_TRUE(c.Lit(50, 15));
  ExpectFillIsEvenOdd(c, star);
}

TEST(GdiPolygon, RandomPolygonsFillEvenOdd) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> coord(-6, 46), size(3, 9);
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<POINT> poly(size(random));
    for (POINT& p : poly) p = {coord(random), coord(random)};
    Canvas c(40, 40);
    Fill(c, poly);
    ExpectFillIsEvenOdd(c, poly);
  }
}

TEST(GdiPolygon, TheOutlineIsThePensClosedRun) {
  Canvas c(8, 8);
  c.Use(GetStockObject(NULL_BRUSH));
  const POINT tri[3] = {{1, 1}, {6, 1}, {1, 6}};
  MoveToEx(*c, 7, 7, nullptr);
  EXPECT_EQ(Polygon(*c, tri, 3), 1);
  EXPECT_EQ(c.Picture(), (Art{"........", ".######.", ".#...#..", ".#..#...", ".#.#....",
                              ".##.....", ".#......", "........"}));
  EXPECT_EQ(c.dc->CurrentPosition().x, 7);
  EXPECT_EQ(Polygon(*c, tri, 1), 0);
  Canvas two(8, 2);
  EXPECT_EQ(Polygon(*two, tri, 2), 1);  // there and back: both ends
  EXPECT_EQ(two.Picture(), (Art{"........", ".######."}));
}

struct Source {  // a memory context holding a 4x3 bitmap of distinct pixels
  Source() {
    for (int i = 0; i < 12; ++i) bitmap->pixels[i] = RGB(i % 4, i / 4, 7);
    previous = SelectObject(dc, bitmap);
  }
  ~Source() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(4, 3, 1, 32, nullptr);
  HGDIOBJ previous;
};

void FlipY(HDC dc, int height) {
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1, -1, nullptr);
  SetWindowOrgEx(dc, 0, height, nullptr);
}

TEST(GdiBlit, CopiesOneToOneUnderAFlippedMapping) {
  for (int flipSource = 0; flipSource < 2; ++flipSource) {
    Source src;
    if (flipSource) FlipY(src.dc, 3);
    Canvas c(10, 10);
    FlipY(*c, 10);
    // Logical y 8 down to 5 is device rows 2-4; the source rectangle is normalised too.
    ASSERT_EQ(BitBlt(*c, 2, 8, 4, -3, src.dc, 0, 3, SRCCOPY), 1);
    EXPECT_EQ(c.Count(), 12);
    for (int i = 0; i < 12; ++i)
      EXPECT_EQ(c.surface.At(2 + i % 4, 2 + i / 4), RGB(i % 4, i / 4, 7));
  }
  Source src;
  Canvas c(5, 5);
  BitBlt(*c, -1, 3, 4, 3, src.dc, 0, 1, SRCCOPY);  // cut by both surfaces
  EXPECT_EQ(c.Count(), 6);
  EXPECT_EQ(c.surface.At(0, 3), RGB(1, 1, 7));
  EXPECT_EQ(BitBlt(*c, 0, 0, 5, 5, nullptr, 0, 0, SRCCOPY), 0);
}

TEST(GdiBlit, WhitenessAndBlacknessNeedNoSource) {
  Canvas c(10, 10);
  FlipY(*c, 10);
  EXPECT_EQ(BitBlt(*c, 0, 10, 10, -10, nullptr, 0, 0, BLACKNESS), 1);
  EXPECT_EQ(BitBlt(*c, 1, 9, 3, -2, nullptr, 0, 0, WHITENESS), 1);
  EXPECT_EQ(c.Count(), 94);
  EXPECT_EQ(c.Count(1, 1, 4, 3), 0);
}

TEST(GdiBlit, OverlappingCopyWithinOneSurface) {
  Canvas c(6, 6);
  for (int i = 0; i < 36; ++i) c.surface.pixels[i] = RGB(i, 0, 0);
  BitBlt(*c, 1, 1, 4, 4, *c, 0, 0, 0x00EE0086);  // unknown operations copy
  for (int y = 1; y < 5; ++y) {
    for (int x = 1; x < 5; ++x) EXPECT_EQ(c.surface.At(x, y), RGB((y - 1) * 6 + x - 1, 0, 0));
  }
}

TEST(GdiRobustness, ExtremeCoordinatesStayInsideTheSurface) {
  const int values[] = {INT_MIN, INT_MIN + 1, -(1 << 30), -70000, -1, 0, 3, 70000, INT_MAX};
  for (int mode = 0; mode < 3; ++mode) {
    Canvas c(7, 5);
    if (mode > 0) {
      SetMapMode(*c, mode == 1 ? MM_ISOTROPIC : MM_ANISOTROPIC);
      SetWindowExtEx(*c, mode == 1 ? 1 : INT_MAX, -3, nullptr);
      SetViewportExtEx(*c, -3, INT_MAX, nullptr);
      SetWindowOrgEx(*c, INT_MIN, INT_MAX, nullptr);
      SetViewportOrgEx(*c, INT_MAX, INT_MIN, nullptr);
    }
    HPEN wide = CreatePen(PS_SOLID, INT_MAX, kRed), thin = CreatePen(PS_SOLID, 0, kRed);
    Source src;
    for (int a : values) {
      for (int b : values) {
        SelectObject(*c, (a ^ b) & 1 ? wide : thin);
        c.Line(a, b, b, a);
        LineTo(*c, 3, 2);
        const POINT poly[4] = {{a, b}, {b, a}, {3, b}, {a, 2}};
        Polygon(*c, poly, 4);
        SetPixel(*c, a, b, kRed);
        BitBlt(*c, a, b, a, b, src.dc, b, a, SRCCOPY);
        BitBlt(*c, a, b, b, a, nullptr, 0, 0, WHITENESS);
      }
    }
    SelectObject(*c, GetStockObject(BLACK_PEN));
    DeleteObject(wide);
    DeleteObject(thin);
  }
  Canvas far(16, 16);  // the hypotenuse x + y = 0 only touches (0, 0), excluded on the right
  Fill(far, {{-2000000000, -2000000000}, {2000000000, -2000000000}, {-2000000000, 2000000000}});
  EXPECT_EQ(far.Count(), 0);
  Bitmap shortRows;  // claims 4x4 but holds one row and a half
  shortRows.width = shortRows.height = 4;
  shortRows.pixels.assign(6, kWhite);
  auto dc = CreateRasterDC(&shortRows, DeviceCaps::TrueColour());
  const POINT square[4] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  Polygon(dc.get(), square, 4);
  EXPECT_EQ(shortRows.pixels[4], kWhite);
  EXPECT_EQ(GetPixel(dc.get(), 3, 3), CLR_INVALID);
}

}  // namespace
}  // namespace gdi
