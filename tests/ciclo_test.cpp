// Decoding, drawing, interruption and resumption of vector slides.
#include <gtest/gtest.h>

#include "output/render_job.h"
#include "render/acacol.h"
#include "tests/test_support.h"

namespace {

using namespace lanterna;
using fixtures::NameBuffer;
using fixtures::SlideWriter;

constexpr gdi::COLORREF kWhite = gdi::RGB(255, 255, 255);
constexpr gdi::COLORREF kBlack = gdi::RGB(0, 0, 0);
constexpr gdi::COLORREF kRed = gdi::RGB(255, 0, 0);
constexpr gdi::COLORREF kGreen = gdi::RGB(0, 255, 0);

struct Picture {
  int32_t result;
  std::unique_ptr<gdi::Bitmap> bitmap;
};

Picture Render(const std::string& path, int w, int h, int zoom = 1, int panX = 0, int panY = 0) {
  RenderRequest r;
  r.path = path;
  r.width = w, r.height = h, r.zoom = zoom, r.panX = panX, r.panY = panY;
  RenderResult out = RenderSlide(r);
  return {out.result, std::move(out.bitmap)};
}

int CountColour(const gdi::Bitmap& b, gdi::COLORREF c) {
  int n = 0;
  for (gdi::COLORREF p : b.pixels) n += p == c;
  return n;
}

// One paint as a slide window makes it: the kept bitmap goes in and comes out of the slot.
int32_t Paint(platform::HeadlessWindow& window, const std::string& path, ViewState& view,
              gdi::HBITMAP& bitmap) {
  SetBitmapSlot(bitmap);
  NameBuffer name;
  const int32_t r = ShowIcon(&window, path.c_str(), name.data(), SI_KEEP_BITMAP, nullptr, nullptr,
                             nullptr, nullptr, &view, nullptr, nullptr);
  bitmap = GetBitmapSlot();
  SetBitmapSlot(nullptr);
  return r;
}

TEST(CicloPixels, VectorsLeaveOutTheEndPixelAndFollowColours) {
  fixtures::TempDir dir;
  // 100 x 100 into 100 x 100: scale 1, slide (x, y) lands on device (x, 100 - y).
  SlideWriter s(100, 100);
  s.Vector(10, 10, 20, 10);  // before any colour record: the default black pen
  s.Colour(1).Vector(10, 20, 20, 20);
  s.Colour(3).Fill({{40, 40}, {60, 40}, {60, 60}, {40, 60}});
  const std::string path = dir.Write("a.sld", s.Build());
  Picture p = Render(path, 100, 100);
  ASSERT_GE(p.result, 0);
  const gdi::Bitmap& b = *p.bitmap;
  for (int x = 10; x < 20; ++x) {
    EXPECT_EQ(b.At(x, 90), kBlack) << x;
    EXPECT_EQ(b.At(x, 80), kRed) << x;
  }
  EXPECT_EQ(b.At(20, 90), kWhite);
  EXPECT_EQ(b.At(20, 80), kWhite);
  EXPECT_EQ(b.At(50, 50), kGreen);  // the fill, in the colour's brush
  EXPECT_EQ(b.At(40, 60), kGreen);  // the outline, in the colour's pen
  EXPECT_EQ(b.At(70, 50), kWhite);
}

// What CAD programs store: colour 0 is the background (a mask over black ink is white), colour
// 7 the default black, and a vector whose ends meet is a point of one pixel.
TEST(CicloPixels, BackgroundColourMasksAndPointsShow) {
  struct Case {
    const char* what;
    int colour;
    bool mask;  // a filled mask over a black line
    int x1, y1, x2, y2;
    int probeX, probeY;
    gdi::COLORREF expected;
  } cases[] = {
      {"colour 0 fill masks the line", 0, true, 0, 0, 0, 0, 50, 50, kWhite},
      {"colour 7 fill stays black", 7, true, 0, 0, 0, 0, 50, 50, kBlack},
      {"colour 0 vector erases", 0, false, 10, 50, 90, 50, 50, 50, kWhite},
      {"a point draws one pixel", 1, false, 30, 70, 30, 70, 30, 30, kRed},
      {"beside the point nothing", 1, false, 30, 70, 30, 70, 31, 30, kWhite},
  };
  fixtures::TempDir dir;
  for (const Case& c : cases) {
    SlideWriter s(100, 100);
    s.Colour(7).Vector(10, 50, 90, 50);  // a black line across the middle
    if (c.mask)
      s.Colour(c.colour).Fill({{40, 40}, {60, 40}, {60, 60}, {40, 60}});
    else
      s.Colour(c.colour).Vector(c.x1, c.y1, c.x2, c.y2);
    const std::string path = dir.Write("p.sld", s.EndOfFile().Build());
    Picture p = Render(path, 100, 100);
    ASSERT_GE(p.result, 0) << c.what;
    EXPECT_EQ(p.bitmap->At(c.probeX, c.probeY), c.expected) << c.what;
  }
}

TEST(CicloPixels, OffsetAndCommonEndpointVectorsDrawFromTheLastPoint) {
  fixtures::TempDir dir;
  SlideWriter s(200, 200);
  s.Colour(1).Vector(100, 100, 100, 100);  // last point (100, 100)
  s.Offset(5, -5, 10, 0);                  // (105, 95) to (110, 100); last point (105, 95)
  s.Common(0, -20);                        // (105, 95) to (105, 75)
  const std::string path = dir.Write("a.sld", s.Build());
  Picture p = Render(path, 200, 200);
  const gdi::Bitmap& b = *p.bitmap;
  EXPECT_EQ(b.At(105, 200 - 95), kRed);
  EXPECT_EQ(b.At(107, 200 - 97), kRed);
  EXPECT_EQ(b.At(105, 200 - 85), kRed);
  EXPECT_EQ(b.At(105, 200 - 76), kRed);
  EXPECT_EQ(b.At(105, 200 - 75), kWhite);  // end pixel left out
}

TEST(CicloPixels, ZoomAndPanMoveThePicture) {
  fixtures::TempDir dir;
  SlideWriter s(100, 100);
  s.Colour(1).Fill({{0, 90}, {10, 90}, {10, 100}, {0, 100}});  // the top-left corner square
  const std::string path = dir.Write("a.sld", s.Build());
  Picture plain = Render(path, 100, 100);
  EXPECT_EQ(plain.bitmap->At(5, 5), kRed);
  EXPECT_EQ(plain.bitmap->At(15, 15), kWhite);
  // Zoom 2 keeps the top-left corner anchored and doubles the square.
  Picture zoomed = Render(path, 100, 100, 2);
  EXPECT_EQ(zoomed.bitmap->At(15, 15), kRed);
  EXPECT_EQ(zoomed.bitmap->At(25, 25), kWhite);
  // A pan of (-20, -30) moves the picture 20 right and 30 down.
  Picture panned = Render(path, 100, 100, 1, -20, -30);
  EXPECT_EQ(panned.bitmap->At(25, 35), kRed);
  EXPECT_EQ(panned.bitmap->At(5, 5), kWhite);
}

TEST(CicloFill, CountsAcceptedAndRejected) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  std::vector<std::pair<int, int>> thirty;
  for (int i = 0; i < 30; ++i) thirty.push_back({10 + i, i % 2 ? 10 : 40});
  SlideWriter s(100, 100);
  s.Fill(thirty);
  s.Fill({{1, 1}, {2, 2}});  // two vertices: rejected, skipped whole
  s.FillStart(31);
  for (int i = 0; i < 31; ++i) s.FillRecord(i, i);
  s.FillRecord(0, -1);
  s.Colour(1).Vector(10, 50, 20, 50);  // decoding goes on after the rejected sequences
  const std::string path = dir.Write("a.sld", s.Build());
  Picture p = Render(path, 100, 100);
  ASSERT_GE(p.result, 0);
  EXPECT_EQ(fixtures::BoxTexts(services.boxes),
            "Errore: Problemi nel riempimento\nErrore: Problemi nel riempimento\n");
  EXPECT_EQ(p.bitmap->At(15, 50), kRed);
}

TEST(CicloFill, ZeroCountReadsOneVertexAndDrawsNothing) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  SlideWriter s(100, 100);
  s.Colour(1).FillStart(0).FillRecord(50, 50).FillRecord(0, -1);
  s.Colour(3).Vector(10, 10, 20, 10);
  const std::string path = dir.Write("a.sld", s.Build());
  Picture p = Render(path, 100, 100);
  EXPECT_TRUE(services.boxes.boxes.empty());
  EXPECT_EQ(CountColour(*p.bitmap, kRed), 0);
  EXPECT_EQ(p.bitmap->At(10, 90), kGreen);
}

TEST(CicloDecoding, DataAfterEndOfFileAndUndefinedCodesIsNeverDrawn) {
  fixtures::TempDir dir;
  for (uint8_t stopper : {0xFC, 0x80, 0xFA}) {
    SlideWriter s(100, 100);
    s.Colour(1).Vector(10, 10, 20, 10);
    s.Raw({0x00, stopper});
    s.Vector(10, 50, 20, 50);
    const std::string path = dir.Write("a.sld", s.Build());
    platform::HeadlessWindow window(100, 100);
    ViewState view;
    gdi::HBITMAP bitmap = nullptr;
    fixtures::RecordedServices services;
    Paint(window, path, view, bitmap);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->At(10, 90), kRed);
    EXPECT_EQ(bitmap->At(15, 50), kWhite) << int(stopper);
    EXPECT_EQ(view.reached, view.size);  // complete
    EXPECT_TRUE(services.boxes.boxes.empty());
    gdi::DeleteObject(bitmap);
  }
}

TEST(CicloInterrupt, LooksForInputBeforeTheFirstRecordAndEvery300) {
  fixtures::TempDir dir;
  for (auto [records, checks] : {std::pair{299, 1}, {300, 1}, {301, 2}, {601, 3}}) {
    SlideWriter s(100, 100);
    for (int i = 0; i < records; ++i) s.Vector(i % 100, 0, i % 100, 50);
    const std::string path = dir.Write("a.sld", s.Build());
    fixtures::RecordedServices services;
    platform::HeadlessWindow window(100, 100);
    ViewState view;
    gdi::HBITMAP bitmap = nullptr;
    Paint(window, path, view, bitmap);
    // Three peeks per check: key, client mouse buttons, non-client mouse buttons.
    EXPECT_EQ(services.input.PeekCount(), 3 * checks) << records;
    int hitTests = 0;
    for (auto& m : window.Messages()) hitTests += m.msg == platform::WM_NCHITTEST;
    EXPECT_EQ(hitTests, checks);
    gdi::DeleteObject(bitmap);
  }
}

struct InterruptCase {
  uint32_t mask;
  uint32_t message;
  uintptr_t key;
  int32_t result;  // what the renderer returns
  bool stops;
  uint32_t cause;
};

TEST(CicloInterrupt, MaskDecidesWhatStopsTheDrawingAndTheResult) {
  fixtures::TempDir dir;
  SlideWriter s(100, 100);
  for (int i = 0; i < 10; ++i) s.Vector(i, 0, i, 50);
  const std::string path = dir.Write("a.sld", s.Build());
  const InterruptCase cases[] = {
      {0x700000, platform::WM_KEYDOWN, platform::VK_ESCAPE, 0, true, kInterruptEscape},
      {0x700000, platform::WM_KEYDOWN, 'A', -1, true, kInterruptKey},
      {0x600000, platform::WM_KEYDOWN, platform::VK_ESCAPE, -1, true, kInterruptKey},
      {0x700000, platform::WM_LBUTTONDOWN, 0, 0, true, kInterruptMouse},
      {0x700000, platform::WM_NCLBUTTONDOWN, 0, 0, true, kInterruptMouse},
      {0x300000, platform::WM_LBUTTONDOWN, 0, 0, false, 0},
      {0x100000, platform::WM_KEYDOWN, 'A', 0, false, 0},
      {0x100000, platform::WM_RBUTTONDOWN, 0, 0, false, 0},
  };
  for (const InterruptCase& c : cases) {
    fixtures::RecordedServices services;
    InterruptMask(c.mask);
    InterruptCause() = 0;
    services.input.Push(c.message, c.key);
    platform::HeadlessWindow window(100, 100);
    ViewState view;
    gdi::HBITMAP bitmap = nullptr;
    const int32_t r = Paint(window, path, view, bitmap);
    if (c.stops) {
      EXPECT_EQ(view.reached, 31u) << std::hex << c.mask << " " << c.message;
      EXPECT_EQ(r, 31);
      EXPECT_EQ(InterruptCause(), c.cause);
    } else {
      EXPECT_EQ(view.reached, view.size) << std::hex << c.mask << " " << c.message;
    }
    if (bitmap) gdi::DeleteObject(bitmap);
    InterruptMask(kDefaultInterruptMask);
  }
}

TEST(CicloInterrupt, KeyInterruptionKeepsTheBitmapEvenWithoutKeepMode) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  SlideWriter s(100, 100);
  s.Vector(0, 0, 50, 50);
  const std::string path = dir.Write("a.sld", s.Build());
  services.input.Push(platform::WM_KEYDOWN, 'A');
  platform::HeadlessWindow window(100, 100);
  ViewState view;
  SetBitmapSlot(nullptr);
  NameBuffer name;
  ShowIcon(&window, path.c_str(), name.data(), 0, nullptr, nullptr, nullptr, nullptr, &view,
           nullptr, nullptr);
  ASSERT_NE(GetBitmapSlot(), nullptr);
  gdi::DeleteObject(GetBitmapSlot());
  SetBitmapSlot(nullptr);
}

// A busy drawing: many colours, every record kind, several thousand records.
fixtures::Bytes BusySlide() {
  SlideWriter s(1000, 800);
  uint32_t seed = 12345;
  auto next = [&](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % static_cast<uint32_t>(n));
  };
  for (int i = 0; i < 4000; ++i) {
    switch (next(10)) {
      case 0:
        s.Colour(next(256));
        break;
      case 1:
        s.Offset(next(40) - 20, next(40) - 20, next(40) - 20, next(40) - 20);
        break;
      case 2:
      case 3:
        s.Common(next(60) - 30, next(60) - 30);
        break;
      case 4: {
        const int x = next(900), y = next(700);
        s.Fill({{x, y}, {x + 40, y + 5}, {x + 30, y + 50}, {x - 5, y + 30}, {x + 10, y + 10}});
        break;
      }
      default:
        s.Vector(next(1000), next(800), next(1000), next(800));
    }
  }
  s.EndOfFile();
  return s.Build();
}

TEST(CicloResume, InterruptedAndResumedDrawingEqualsAnUninterruptedOne) {
  fixtures::TempDir dir;
  const std::string path = dir.Write("busy.sld", BusySlide());
  Picture whole = Render(path, 640, 480);
  ASSERT_TRUE(whole.bitmap);

  fixtures::RecordedServices services;
  platform::HeadlessWindow window(640, 480);
  ViewState view;
  gdi::HBITMAP bitmap = nullptr;
  int stops = 0;
  for (int paint = 0; paint < 100 && (view.reached == 0 || view.reached < view.size); ++paint) {
    // A key arrives after a few checks, and is handled before the next paint.
    services.input.Clear();
    services.input.Push(platform::WM_KEYDOWN, 'A');
    services.input.RevealAfter(3 * (1 + paint % 3));
    const uint32_t before = view.reached;
    Paint(window, path, view, bitmap);
    if (view.reached < view.size) {
      ++stops;
      EXPECT_GT(view.reached, before);
    }
  }
  EXPECT_GE(stops, 3);
  ASSERT_EQ(view.reached, view.size);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_TRUE(bitmap->pixels == whole.bitmap->pixels);
  gdi::DeleteObject(bitmap);
}

TEST(CicloResume, ResumesInTheColourOfTheLastColourRecord) {
  fixtures::TempDir dir;
  SlideWriter s(100, 100);
  s.Colour(1);
  for (int i = 0; i < 300; ++i) s.Vector(10, 10, 20, 10);  // records 2-301
  s.Vector(10, 50, 20, 50);                                // record 302, after the stop
  const std::string path = dir.Write("a.sld", s.Build());
  fixtures::RecordedServices services;
  services.input.Push(platform::WM_KEYDOWN, 'A');
  services.input.RevealAfter(3);  // found at the second check, before record 301
  platform::HeadlessWindow window(100, 100);
  ViewState view;
  gdi::HBITMAP bitmap = nullptr;
  Paint(window, path, view, bitmap);
  ASSERT_LT(view.reached, view.size);
  EXPECT_EQ(view.colour, 1);
  services.input.Clear();
  Paint(window, path, view, bitmap);
  ASSERT_EQ(view.reached, view.size);
  EXPECT_EQ(bitmap->At(15, 50), kRed);
  gdi::DeleteObject(bitmap);
}

}  // namespace
