// Rendering slides: colour map, scanlines and polygons, palettes, interruption, the measuring
// and information passes, DXF output, and data that ends or lies.
#include "render/rendering.h"

#include <gtest/gtest.h>

#include "output/render_job.h"
#include "render/dxf_writer.h"
#include "tests/rendering_writer.h"
#include "tests/test_support.h"

namespace {

using namespace lanterna;
using fixtures::Bytes;
using fixtures::NameBuffer;
using fixtures::RenderingWriter;

constexpr gdi::COLORREF kWhite = gdi::RGB(255, 255, 255);
constexpr gdi::COLORREF kRed = gdi::RGB(255, 0, 0);
constexpr gdi::COLORREF kGreen = gdi::RGB(0, 255, 0);
const fixtures::Vertices kSquare = {{10, 10}, {30, 10}, {30, 30}, {10, 30}};

// A surface drawn on without any mapping: slide (x, y) is pixel (x, y).
struct Canvas {
  Canvas(int w, int h, gdi::DeviceCaps caps = gdi::DeviceCaps::TrueColour()) {
    bitmap.width = w, bitmap.height = h;
    bitmap.pixels.assign(static_cast<size_t>(w) * h, kWhite);
    dc = gdi::CreateRasterDC(&bitmap, caps);
  }
  gdi::COLORREF At(int x, int y) const { return bitmap.At(x, y); }
  gdi::Bitmap bitmap;
  std::unique_ptr<gdi::DeviceContext> dc;
};

// The renderer run as the loader runs it, on a block exactly as long as the fixture, so that
// any read past its end is a heap overflow.
struct Block {
  explicit Block(const Bytes& b) : bytes(b) {
    ParseRenderingHeader(bytes.data(), static_cast<uint32_t>(bytes.size()), &header);
  }
  int Draw(gdi::HDC dc, ViewState* view = nullptr, SlidePalette* palette = nullptr,
           SlideInfo* info = nullptr, platform::HWND owner = nullptr, gdi::HDC display = nullptr) {
    LoaderState& L = Loader();
    L.data = bytes.data();
    L.IconSize = static_cast<uint32_t>(bytes.size());
    L.ByteReaded = view && view->reached ? view->reached : header.dataStart;
    const int r = DrawRendering(dc, L.IconSize, header, view, palette, display, info, owner, false,
                                header.pixelAspect);
    reached = L.ByteReaded;
    L.data = nullptr;
    return r;
  }
  Bytes bytes;
  RenderingHeader header;
  uint32_t reached = 0;
};

struct Paints {
  ~Paints() {
    if (bitmap) gdi::DeleteObject(bitmap);
    if (palette.logPalette) gdi::DeleteObject(palette.palette);
    delete palette.logPalette;
  }
  // One paint as a slide window makes it.
  int32_t Paint(platform::HeadlessWindow& window, const std::string& path) {
    SetBitmapSlot(bitmap);
    NameBuffer name;
    const int32_t r = ShowIcon(&window, path.c_str(), name.data(), SI_KEEP_BITMAP, nullptr, nullptr,
                               nullptr, nullptr, &view, &palette, nullptr);
    gdi::HBITMAP kept = GetBitmapSlot();
    if (bitmap && kept != bitmap) gdi::DeleteObject(bitmap);  // a fresh drawing replaced it
    bitmap = kept;
    SetBitmapSlot(nullptr);
    return r;
  }
  ViewState view = [] {
    ViewState v;
    v.measuredLeft = v.measuredTop = kUnmeasuredOrigin;
    return v;
  }();
  SlidePalette palette;
  gdi::HBITMAP bitmap = nullptr;
};

int Count(const platform::HeadlessWindow& w, uint32_t msg) {
  int n = 0;
  for (auto& m : w.Messages()) n += m.msg == msg;
  return n;
}

TEST(RenderingInfo, FirstDrawingRecordDecidesTheRenderTypeAndReadingStopsThere) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const double rgb[3] = {1, 0, 0};
  struct Case {
    RenderingWriter slide;
    int32_t type;
  } cases[] = {
      {RenderingWriter(50, 50)
           .ColourEntry(1, 9, 9, 9)
           .ColourMapEnd()
           .Code(6)
           .Polygon(1, 1, kSquare),
       kRenderMappedPolygons},
      {RenderingWriter(50, 50, 0).ContinuousPolygon(rgb, rgb, 1, kSquare),
       kRenderContinuousPolygons},
      {RenderingWriter(50, 50).Scanline(0, 0, 5, {1}), kRenderScanline},
      {RenderingWriter(50, 50, 0).Code(7).Scanline(0, 0, 1, {1, 2, 3}), kRenderScanline},
      {RenderingWriter(50, 50).Code(6), kRenderUnknown},
  };
  for (Case& c : cases) {
    c.slide.Code(11);  // never reached: no box
    const std::string path = dir.Write("a.rnd", c.slide.Build());
    SlideInfo info;
    EXPECT_EQ(ShowIcon(nullptr, path.c_str(), NameBuffer().data(), SI_DIRECT | SI_HEADER_ONLY,
                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &info),
              static_cast<int32_t>(c.slide.Build().size()));
    EXPECT_EQ(info.renderType, c.type);
  }
  // Only the slide without drawing records meets the undefined code.
  EXPECT_EQ(fixtures::BoxTexts(services.boxes), "Errore: Unknown record code, vedi 11\n");
}

TEST(RenderingInfo, ParametersRecordLengthFollowsTheFileVersion) {
  const double rgb[3] = {0, 1, 0};
  for (int version : {3, 4}) {
    RenderingWriter w(50, 50, 0);
    w.Long("Kitchen").Version(static_cast<int8_t>(version));
    w.Parameters(0.25, 0.75, -3, 0.1, 0.2, 0.3, 0.7).ContinuousPolygon(rgb, rgb, 1, kSquare);
    Block b(w.Build());
    ASSERT_EQ(b.header.dataStart, 128u);
    SlideInfo info;
    FillRenderingInfo(&info, b.header);
    EXPECT_EQ(b.Draw(nullptr, nullptr, nullptr, &info), kRenderingStopped);
    EXPECT_EQ(info.renderType, kRenderContinuousPolygons) << version;  // 13 read at the right place
    EXPECT_STREQ(info.description, "Kitchen");
    EXPECT_EQ(info.minShade, 0.25);
    EXPECT_EQ(info.maxShade, 0.75);
    EXPECT_EQ(info.contrastStretch, -3);
    EXPECT_EQ(info.backgroundBlue, 0.3);
    EXPECT_EQ(info.ambient, version >= 4 ? 0.7 : 0.3);
  }
}

TEST(RenderingColourMap, ScaleIsTheIntegerQuotientOfTheHeaderAndAbsentIntensityKeepsIt) {
  struct Case {
    int16_t colours;
    uint16_t maxIntensity;
    gdi::COLORREF fill, edge;
  } cases[] = {
      {256, 255, gdi::RGB(100, 60, 20), gdi::RGB(1, 2, 3)},
      {256, 1000, gdi::RGB(0, 0, 0), gdi::RGB(0, 0, 0)},
      {64, 31, gdi::RGB(200, 120, 40), gdi::RGB(2, 4, 6)},  // 63 / 31 = 2, not 2.03
      {256, 0, gdi::RGB(200, 120, 40), gdi::RGB(2, 4, 6)},  // the scale of the slide before
  };
  for (const Case& c : cases) {
    RenderingWriter w(40, 40, c.colours, c.maxIntensity);
    w.ColourEntry(5, 100, 60, 20).ColourEntry(6, 1, 2, 3).Polygon(5, 6, kSquare);
    Canvas canvas(40, 40);
    Block(w.Build()).Draw(canvas.dc.get());
    EXPECT_EQ(canvas.At(20, 20), c.fill) << c.colours << "/" << c.maxIntensity;
    EXPECT_EQ(canvas.At(10, 20), c.edge);
  }
}

TEST(RenderingColourMap, ASlideNeverSeesTheColoursOfTheSlideBefore) {
  RenderingWriter first(40, 40);
  first.ColourEntry(5, 100, 60, 20).ColourEntry(6, 1, 2, 3).Polygon(5, 6, kSquare);
  Canvas before(40, 40);
  Block(first.Build()).Draw(before.dc.get());
  RenderingWriter second(40, 40);  // uses 5 and 6 without defining them
  second.Polygon(5, 6, kSquare);
  Canvas canvas(40, 40);
  Block(second.Build()).Draw(canvas.dc.get());
  EXPECT_EQ(canvas.At(20, 20), gdi::RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(10, 20), gdi::RGB(0, 0, 0));
}

TEST(RenderingColourMap, ContinuousPolygonsScaleTheirComponentsByIntensity) {
  const double fill[3] = {1, 0.5, 0}, edge[3] = {0, 0, 1}, bright[3] = {0, 1, 0};
  RenderingWriter w(40, 40, 0);
  w.ContinuousPolygon(fill, edge, 0.5, kSquare, true);                     // 127.5 per unit
  w.ContinuousPolygon(bright, bright, 2, {{32, 32}, {36, 32}, {36, 36}});  // 510: low byte 254
  Canvas canvas(40, 40);
  Block(w.Build()).Draw(canvas.dc.get());
  EXPECT_EQ(canvas.At(20, 20), gdi::RGB(127, 63, 0));
  EXPECT_EQ(canvas.At(10, 20), gdi::RGB(0, 0, 127));
  EXPECT_EQ(canvas.At(35, 33), gdi::RGB(0, 254, 0));
}

TEST(RenderingColourMap, IndicesOutsideZeroTo256AreRefused) {
  fixtures::RecordedServices services;
  platform::HeadlessWindow window(10, 10);
  RenderingWriter w(40, 40);
  w.ColourEntry(257, 1, 1, 1).ColourEntry(-1, 1, 1, 1).ColourEntry(256, 0, 0, 255);
  w.Polygon(256, 256, kSquare).Polygon(-5, 300, {{12, 12}, {14, 12}, {14, 14}});
  Canvas canvas(40, 40);
  EXPECT_EQ(Block(w.Build()).Draw(canvas.dc.get(), nullptr, nullptr, nullptr, &window),
            kRenderingComplete);
  ASSERT_EQ(services.boxes.boxes.size(), 2u);
  for (auto& box : services.boxes.boxes) {
    EXPECT_EQ(box.text, "Troppi colori! (FuncColorMap)");
    EXPECT_EQ(box.title, "Errore");
    EXPECT_EQ(box.style, 0u);
    EXPECT_EQ(box.owner, &window);
  }
  EXPECT_EQ(canvas.At(20, 20), gdi::RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(13, 13), gdi::RGB(0, 0, 0));  // polygon indices outside the map: black
}

TEST(RenderingScanline, RunsAndPixelsOfAColourMappedSlide) {
  RenderingWriter w(40, 10);
  w.ColourEntry(0, 0, 0, 200).ColourEntry(3, 255, 0, 0).ColourEntry(4, 0, 255, 0);
  w.Scanline(2, 1, 6, {3});              // a run of six pixels, 2-7
  w.Scanline(2, 3, 6, {0});              // index 0 alone: nothing
  w.Scanline(2, 5, 1, {3, 4, 0, 3, 4});  // five single pixels
  w.Scanline(2, 7, 4, {40, 30, 20});     // three bytes: blue, green, red
  Canvas canvas(40, 10);
  Block(w.Build()).Draw(canvas.dc.get());
  EXPECT_EQ(canvas.At(1, 1), kWhite);
  for (int x = 2; x <= 7; ++x) EXPECT_EQ(canvas.At(x, 1), kRed) << x;
  EXPECT_EQ(canvas.At(8, 1), kWhite);
  for (int x = 0; x < 40; ++x) EXPECT_EQ(canvas.At(x, 3), kWhite) << x;
  const gdi::COLORREF pixels[] = {kRed, kGreen, gdi::RGB(0, 0, 200), kRed, kGreen};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(canvas.At(2 + i, 5), pixels[i]) << i;
  EXPECT_EQ(canvas.At(7, 5), kWhite);
  EXPECT_EQ(canvas.At(5, 7), gdi::RGB(20, 30, 40));
  EXPECT_EQ(canvas.At(6, 7), kWhite);
}

TEST(RenderingScanline, ContinuousPixelsBeepOnceAndShortPixelsAreRefused) {
  fixtures::RecordedServices services;
  RenderingWriter w(10, 10, 0);
  w.Scanline(1, 1, 1, {10, 20, 30}).Scanline(2, 1, 0, {1, 2, 3, 4}).Scanline(3, 1, 1, {5, 6, 7, 8});
  w.Scanline(4, 1, 1, {1, 2});
  Canvas canvas(10, 10);
  const int beeps = platform::BeepCount();
  Block(w.Build()).Draw(canvas.dc.get());
  EXPECT_EQ(canvas.At(1, 1), gdi::RGB(30, 20, 10));
  EXPECT_EQ(canvas.At(2, 1), gdi::RGB(3, 2, 1));
  EXPECT_EQ(canvas.At(3, 1), gdi::RGB(7, 6, 5));
  EXPECT_EQ(canvas.At(4, 1), kWhite);
  EXPECT_EQ(platform::BeepCount() - beeps, 1);
  ASSERT_EQ(services.boxes.boxes.size(), 1u);
  EXPECT_EQ(services.boxes.boxes[0].text, "Unknow color metod");
  EXPECT_EQ(services.boxes.boxes[0].title, "Errore");
  EXPECT_EQ(services.boxes.boxes[0].style, 0u);
}

TEST(RenderingAspect, PixelShapeScalesRunsAndPolygonXButNotSinglePixels) {
  RenderingWriter w(120, 30);
  w.PixelShape(4, 3).ColourEntry(1, 255, 0, 0).ColourEntry(3, 0, 255, 0);
  w.Scanline(100, 2, 8, {1}).Scanline(100, 5, 1, {3});
  w.Polygon(3, 3, {{40, 10}, {60, 10}, {60, 20}, {40, 20}});
  Canvas canvas(120, 30);
  Block(w.Build()).Draw(canvas.dc.get());
  EXPECT_EQ(canvas.At(74, 2), kWhite);
  for (int x = 75; x <= 80; ++x) EXPECT_EQ(canvas.At(x, 2), kRed) << x;
  EXPECT_EQ(canvas.At(81, 2), kWhite);
  EXPECT_EQ(canvas.At(100, 5), kGreen);
  EXPECT_EQ(canvas.At(30, 15), kGreen);
  EXPECT_EQ(canvas.At(45, 15), kGreen);
  EXPECT_EQ(canvas.At(46, 15), kWhite);
}

TEST(RenderingPalette, PaletteDevicesGetTheSlidesOwnPaletteWithWhiteKeptPlain) {
  {
    RenderingWriter w(40, 40);
    for (int i = 0; i < 236; ++i) w.ColourEntry(i, i, 255 - i, i / 2);
    w.ColourMapEnd().Polygon(100, 100, kSquare);
    Canvas canvas(40, 40, gdi::DeviceCaps::Palette256());
    SlidePalette palette;
    Block(w.Build()).Draw(canvas.dc.get(), nullptr, &palette);
    ASSERT_NE(palette.logPalette, nullptr);
    EXPECT_EQ(palette.logPalette->palVersion, 0x300);
    EXPECT_EQ(palette.logPalette->palNumEntries, 236);
    const gdi::PALETTEENTRY& e = palette.logPalette->palPalEntry[100];
    EXPECT_EQ(gdi::RGB(e.peRed, e.peGreen, e.peBlue), gdi::RGB(100, 155, 50));
    EXPECT_EQ(e.peFlags, gdi::PC_RESERVED);
    EXPECT_EQ(canvas.dc->CurrentPalette(), palette.palette);
    EXPECT_EQ(canvas.At(20, 20), gdi::RGB(100, 155, 50));
    // The next paint of the window reuses the palette it keeps.
    const gdi::HPALETTE kept = palette.palette;
    Canvas again(40, 40, gdi::DeviceCaps::Palette256());
    Block(w.Build()).Draw(again.dc.get(), nullptr, &palette);
    EXPECT_EQ(palette.palette, kept);
    EXPECT_EQ(again.dc->CurrentPalette(), kept);
    EXPECT_EQ(again.At(20, 20), gdi::RGB(100, 155, 50));
    gdi::DeleteObject(palette.palette);
    delete palette.logPalette;
  }
  {
    // Continuous colour: the palette holds the AutoCAD colours; white alone stays RGB.
    RenderingWriter w(10, 10, 0);
    w.Scanline(1, 1, 1, {255, 255, 255}).Scanline(2, 1, 1, {250, 250, 250});
    Canvas canvas(10, 10, gdi::DeviceCaps::Palette256());
    SlidePalette palette;
    Block(w.Build()).Draw(canvas.dc.get(), nullptr, &palette);
    ASSERT_NE(palette.logPalette, nullptr);
    const gdi::PALETTEENTRY& red = palette.logPalette->palPalEntry[1];
    EXPECT_EQ(gdi::RGB(red.peRed, red.peGreen, red.peBlue), kRed);
    EXPECT_EQ(canvas.At(1, 1), kWhite);
    const gdi::UINT near = gdi::GetNearestPaletteIndex(palette.palette, gdi::RGB(250, 250, 250));
    const gdi::PALETTEENTRY& n = palette.logPalette->palPalEntry[near];
    EXPECT_EQ(canvas.At(2, 1), gdi::RGB(n.peRed, n.peGreen, n.peBlue));
    EXPECT_NE(canvas.At(2, 1), kWhite);
    gdi::DeleteObject(palette.palette);
    delete palette.logPalette;
  }
  {
    Canvas canvas(10, 10);
    SlidePalette palette;
    Block(RenderingWriter(10, 10).ColourMapEnd().Build()).Draw(canvas.dc.get(), nullptr, &palette);
    EXPECT_EQ(palette.logPalette, nullptr);
  }
}

TEST(RenderingInterrupt, FirstCheckAtTheEighthRecordThenEveryHundredNeverWhenMeasuring) {
  fixtures::RecordedServices services;
  for (auto [records, checks] : {std::pair{7, 0}, {8, 1}, {107, 1}, {108, 2}}) {
    RenderingWriter w(10, 10);
    for (int i = 0; i < records; ++i) w.Code(6);
    platform::HeadlessWindow window(10, 10);
    Block(w.Build()).Draw(nullptr, nullptr, nullptr, nullptr, &window);
    EXPECT_EQ(Count(window, platform::WM_NCHITTEST), checks) << records;
  }
  RenderingWriter w(10, 10);
  for (int i = 0; i < 20; ++i) w.Code(7);
  Block b(w.Build());
  services.input.Push(platform::WM_KEYDOWN, 'A');
  ViewState view;
  view.measuredWidth = 10;
  EXPECT_EQ(b.Draw(nullptr, &view), -1);
  EXPECT_EQ(view.reached, 46u + 7);  // the 8th record is not decoded yet
  ViewState measuring;
  EXPECT_EQ(b.Draw(nullptr, &measuring), kRenderingComplete);
  EXPECT_EQ(b.reached, b.bytes.size());
}

TEST(RenderingInterrupt, ProgressCopiesEveryTwoHundredRecordsAndAtTheEnd) {
  // A display that only counts what is copied to it.
  struct CountingDC : gdi::DeviceContext {
    CountingDC() : DeviceContext(gdi::DeviceCaps::TrueColour()) {}
    void Line(gdi::POINT, gdi::POINT) override {}
    void FillPolygon(const gdi::POINT*, int) override {}
    gdi::COLORREF PutPixel(int32_t, int32_t, gdi::COLORREF c) override { return c; }
    void Blit(gdi::RECT, DeviceContext*, gdi::POINT, gdi::DWORD) override { ++copies; }
    int copies = 0;
  };
  Canvas canvas(10, 10);
  for (auto [records, copies] : {std::pair{399, 2}, {400, 3}}) {
    RenderingWriter w(10, 10);
    for (int i = 0; i < records; ++i) w.Code(6);
    Block b(w.Build());
    CountingDC display;
    b.Draw(canvas.dc.get(), nullptr, nullptr, nullptr, nullptr, &display);
    EXPECT_EQ(display.copies, copies) << records;
    CountingDC measured;
    ViewState view;
    b.Draw(canvas.dc.get(), &view, nullptr, nullptr, nullptr, &measured);
    EXPECT_EQ(measured.copies, 1);
  }
}

TEST(RenderingInterrupt, ResumedDrawingTakesItsColoursFromTheSlidePalette) {
  fixtures::TempDir dir;
  RenderingWriter w(60, 60), other(10, 10);
  for (int i = 0; i < 236; ++i) {
    w.ColourEntry(i, (i * 7) % 256, (i * 13) % 256, (i * 29) % 256);
    other.ColourEntry(i, 1, 1, 1);
  }
  w.ColourMapEnd();  // record 237
  for (int pass = 0; pass < 3; ++pass)
    for (int y = 0; y < 60; ++y) w.Scanline(0, y, 60, {static_cast<uint8_t>(y * 3)});
  const std::string path = dir.Write("a.rnd", w.Build());
  RenderRequest request;
  request.path = path, request.width = request.height = 60;  // a 62-pixel window's picture
  request.caps = gdi::DeviceCaps::Palette256();
  const RenderResult expected = RenderSlide(request);
  ASSERT_TRUE(expected.bitmap);

  fixtures::RecordedServices services;
  platform::HeadlessWindow window(62, 62, gdi::DeviceCaps::Palette256());
  Paints p;
  services.input.Push(platform::WM_KEYDOWN, 'A');
  p.Paint(window, path);  // measures, whatever is pending
  EXPECT_EQ(p.view.reached, 0u);
  EXPECT_EQ(p.view.measuredWidth, 60);
  services.input.RevealAfter(3 * 3);  // seen at the fourth check, record 308
  p.Paint(window, path);
  ASSERT_GT(p.view.reached, 46u + 9 * 236);
  ASSERT_LT(p.view.reached, p.view.size);
  services.input.Clear();
  request.path = dir.Write("b.rnd", other.Build());
  RenderSlide(request);  // overwrites the process's colour map
  p.Paint(window, path);
  ASSERT_EQ(p.view.reached, p.view.size);
  EXPECT_TRUE(p.bitmap->pixels == expected.bitmap->pixels);
}

TEST(RenderingUnknownRecord, RetryReadsTheNextByteCancelClosesTheWindow) {
  RenderingWriter w(40, 40);
  w.ColourEntry(1, 255, 0, 0).Code(11).Code(200).Polygon(1, 1, kSquare);
  Block b(w.Build());
  {
    fixtures::RecordedServices services;
    services.boxes.answers = {platform::IDRETRY, platform::IDRETRY};
    platform::HeadlessWindow window(10, 10);
    Canvas canvas(40, 40);
    EXPECT_EQ(b.Draw(canvas.dc.get(), nullptr, nullptr, nullptr, &window), kRenderingComplete);
    EXPECT_EQ(fixtures::BoxTexts(services.boxes),
              "Errore: Unknown record code, vedi 11\nErrore: Unknown record code, vedi 200\n");
    EXPECT_EQ(services.boxes.boxes[0].style, 0x115u);
    EXPECT_EQ(services.boxes.boxes[0].owner, &window);
    EXPECT_EQ(canvas.At(20, 20), kRed);
    EXPECT_EQ(Count(window, platform::WM_CLOSE), 0);
  }
  fixtures::RecordedServices services;  // unanswered: Cancel, the default button
  platform::HeadlessWindow window(10, 10);
  Canvas canvas(40, 40);
  EXPECT_EQ(b.Draw(canvas.dc.get(), nullptr, nullptr, nullptr, &window), kRenderingStopped);
  EXPECT_EQ(services.boxes.boxes.size(), 1u);
  EXPECT_EQ(canvas.At(20, 20), kWhite);
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0].msg, platform::WM_CLOSE);
  EXPECT_TRUE(window.Messages()[0].posted);
}

std::string DxfText(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  return text;
}

std::string Convert(const std::string& path, const std::string& dxf) {
  platform::HeadlessWindow window(40, 40);
  ShowIcon(&window, path.c_str(), NameBuffer().data(), 0, dxf.c_str(), nullptr, nullptr, nullptr,
           nullptr, nullptr, nullptr);
  const Bytes out = fixtures::ReadFile(dxf);
  return std::string(out.begin(), out.end());
}

TEST(RenderingDxf, PolygonsBecomeSolidsAndClosedPolylinesWithDrawnCoordinates) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const double blue[3] = {0, 0, 1};
  RenderingWriter w(100, 100);
  w.PixelShape(2, 1).ColourEntry(1, 255, 0, 0).ColourMapEnd();
  w.Polygon(1, 1, {{10, 10}, {20, 10}, {20, 20}});
  w.Polygon(1, 1, {{0, 0}, {10, 0}, {20, 10}, {10, 20}, {0, 10}});
  w.ContinuousPolygon(blue, blue, 1, {{30, 30}, {40, 30}, {40, 40}, {30, 40}});
  const std::string dxf = dir.File("a.dxf");
  std::string expected = DxfText({"  0", "SECTION", "  2", "ENTITIES", "  0"});
  expected += DxfText({"SOLID", "  8", "0",   " 62", "1",  " 10", "5",   " 20", "10",  " 30",
                       "0.0",   " 11", "10",  " 21", "10", " 31", "0.0", " 12", "10",  " 22",
                       "20",    " 32", "0.0", " 13", "10", " 23", "20",  " 33", "0.0", "  0"});
  expected += DxfText({"POLYLINE", "  8", "0", " 62", "1", " 66", "    1", " 10", "0.0", " 20",
                       "0.0", " 30", "0.0", "70", "    1", "  0"});
  for (auto [x, y] : fixtures::Vertices{{0, 0}, {5, 0}, {10, 10}, {5, 20}, {0, 10}})
    expected += DxfText({"VERTEX", "  8", "0", " 62", "1", " 10", std::to_string(x), " 20",
                         std::to_string(y), " 30", "0.0", "  0"});
  expected += DxfText({"SEQEND", "  8", "0", " 62", "1", "  0"});
  expected += DxfText({"SOLID", "  8", "0",   " 62", "5",  " 10", "15",  " 20", "30",  " 30",
                       "0.0",   " 11", "20",  " 21", "30", " 31", "0.0", " 12", "15",  " 22",
                       "40",    " 32", "0.0", " 13", "20", " 23", "40",  " 33", "0.0", "  0"});
  expected += DxfText({"ENDSEC", "  0", "EOF"});
  EXPECT_EQ(Convert(dir.Write("a.rnd", w.Build()), dxf), expected);
  std::string shown;
  for (auto& c : services.mex.calls) shown += (c.hasText ? c.text : "(close)") + ";";
  EXPECT_EQ(shown, "Converting to DXF...;(close);Converting to DXF...;Closing file;(close);");
  EXPECT_TRUE(services.boxes.boxes.empty());
}

TEST(RenderingDxf, ScanlineSlidesAreRefusedAndTheFileKeepsNoTrailer) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  RenderingWriter w(100, 100);
  w.Polygon(1, 1, {{1, 2}, {3, 4}, {5, 6}, {7, 8}}).Scanline(0, 0, 5, {1}).Polygon(1, 1, kSquare);
  const std::string text = Convert(dir.Write("a.rnd", w.Build()), dir.File("a.dxf"));
  EXPECT_TRUE(text.starts_with(DxfText({"  0", "SECTION", "  2", "ENTITIES", "  0", "SOLID"})));
  EXPECT_EQ(text.find("SOLID"), text.rfind("SOLID"));
  EXPECT_EQ(text.find("ENDSEC"), std::string::npos);
  ASSERT_EQ(services.boxes.boxes.size(), 1u);
  EXPECT_EQ(services.boxes.boxes[0].text, "Cannot convert Scanline Render");
  EXPECT_EQ(services.boxes.boxes[0].title, "Error");
  EXPECT_EQ(services.boxes.boxes[0].style, 0u);
}

TEST(RenderingMeasure, FirstPaintMeasuresTheNextDrawsCroppedToTheExtent) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  RenderingWriter w(400, 400);
  w.ColourEntry(1, 255, 0, 0).Polygon(1, 1, {{100, 50}, {200, 50}, {200, 150}, {100, 150}});
  const std::string path = dir.Write("a.rnd", w.Build());
  platform::HeadlessWindow window(102, 102);
  Paints p;
  p.Paint(window, path);
  EXPECT_EQ(p.view.measuredWidth, 100);
  EXPECT_EQ(p.view.measuredHeight, 100);
  EXPECT_EQ(p.view.measuredLeft, 100);
  EXPECT_EQ(p.view.measuredTop, 50);
  EXPECT_EQ(p.view.reached, 0u);
  EXPECT_EQ(window.Invalidations(), 1);
  ASSERT_NE(p.bitmap, nullptr);
  for (gdi::COLORREF c : p.bitmap->pixels) ASSERT_EQ(c, kWhite);  // nothing drawn yet
  p.Paint(window, path);
  EXPECT_EQ(p.view.reached, p.view.size);
  EXPECT_EQ(window.Invalidations(), 1);
  for (gdi::COLORREF c : p.bitmap->pixels) ASSERT_EQ(c, kRed);  // the square fills the window
}

TEST(RenderingMeasure, ScanlineBoundsAspectAndSlidesThatDrawNothing) {
  RenderingWriter w(100, 50);
  w.PixelShape(2, 1).Scanline(20, 5, 10, {1, 2, 3}).Scanline(60, 8, 30, {1, 2});
  w.Scanline(5, 6, 2, {1});
  ViewState view;
  view.measuredLeft = view.measuredTop = kUnmeasuredOrigin;
  Block(w.Build()).Draw(nullptr, &view);
  // right: 20 + 3 x 10, then 60 + 2 x 30 cut to the X resolution, then 5 + 2 leaves it;
  // x halved (and truncated) at the end.
  EXPECT_EQ(view.measuredWidth, 50 - 2);
  EXPECT_EQ(view.measuredHeight, 3);
  EXPECT_EQ(view.measuredLeft, 2);
  EXPECT_EQ(view.measuredTop, 5);

  fixtures::TempDir dir;
  const std::string path = dir.Write("empty.rnd", RenderingWriter(120, 80).Build());
  platform::HeadlessWindow window(50, 50);
  Paints p;
  p.Paint(window, path);
  EXPECT_EQ(p.view.measuredWidth, 120);
  EXPECT_EQ(p.view.measuredHeight, 80);
  p.Paint(window, path);
  EXPECT_EQ(p.view.reached, p.view.size);
  EXPECT_EQ(window.Invalidations(), 1);
}

TEST(RenderingBounds, BadCountsAreSkippedByTheirOwnLength) {
  const double rgb[3] = {1, 0, 0};
  fixtures::Vertices eleven;
  for (int i = 0; i < 11; ++i) eleven.push_back({i, 2});
  RenderingWriter w(40, 40);
  w.ColourEntry(1, 255, 0, 0).Polygon(1, 1, {}, 0).Polygon(1, 1, {}, -1).Polygon(1, 1, eleven);
  w.ContinuousPolygon(rgb, rgb, 1, eleven, true).Scanline(0, 0, 9, Bytes(4005, 1));
  w.Polygon(1, 1, kSquare).Polygon(1, 1, {}, 30000);  // runs off the end: decoding ends
  Canvas canvas(40, 40);
  Block b(w.Build());
  EXPECT_EQ(b.Draw(canvas.dc.get()), kRenderingComplete);
  EXPECT_EQ(b.reached, b.bytes.size());
  EXPECT_EQ(canvas.At(20, 20), kRed);
  EXPECT_EQ(canvas.At(5, 2), kWhite);
  EXPECT_EQ(canvas.At(5, 0), kWhite);
}

TEST(RenderingBounds, EveryCutOfTheDataStopsInsideTheBlock) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  services.boxes.answers.assign(10000, platform::IDRETRY);
  const double rgb[3] = {0.5, 0.25, 1};
  RenderingWriter w(30, 30, 256, 255);
  w.Version(3).ColourEntry(2, 9, 9, 9).ColourMapEnd().Parameters(1, 2, 3, 4, 5, 6, 7);
  w.Polygon(2, 2, kSquare).ContinuousPolygon(rgb, rgb, 0.5, kSquare, true);
  w.Scanline(1, 1, 5, {2}).Scanline(1, 2, 1, {2, 2, 2}).Code(42).Code(6);
  const Bytes full = w.Build();
  for (size_t n = 46; n <= full.size(); ++n) {
    const Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
    Block b(cut);
    Canvas canvas(30, 30, gdi::DeviceCaps::Palette256());
    SlidePalette palette;
    SlideInfo info;
    EXPECT_EQ(b.Draw(canvas.dc.get(), nullptr, &palette), kRenderingComplete) << n;
    EXPECT_EQ(b.reached, n);
    ViewState view;
    b.Draw(nullptr, &view, &palette);
    EXPECT_LE(b.reached, n);
    b.Draw(nullptr, nullptr, &palette, &info);
    EXPECT_LE(b.reached, n);
    if (palette.logPalette) gdi::DeleteObject(palette.palette);
    delete palette.logPalette;
    // Through the loader, as a window paints it: no overrun is ever reported.
    RenderRequest r;
    r.path = dir.Write("cut.rnd", cut), r.width = 20, r.height = 20;
    EXPECT_GE(RenderSlide(r).result, 0);
  }
  EXPECT_EQ(fixtures::BoxTexts(services.boxes).find("IconSize"), std::string::npos);
}

}  // namespace
