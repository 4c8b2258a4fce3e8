// lanterna-cli slide: slides made from DXF drawings (a third-party one made by ezdxf, and our
// own DXF of every sample and corpus slide), drawn where expected; the encoder's records.
#include "dxfin/dxf_slide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "dxfin/dxf_drawing.h"
#include "output/render_job.h"
#include "slide/library.h"
#include "slide/slide_encoder.h"
#include "slide/slide_kind.h"
#include "slide/slide_types.h"
#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

using namespace lanterna;
using fixtures::Quote;
namespace fs = std::filesystem;

std::unique_ptr<gdi::Bitmap> Render(const std::string& path, const std::string& member, int w,
                                    int h) {
  fixtures::RecordedServices services;  // a box would be a fault: it is kept from the screen
  RenderRequest r;
  r.path = path, r.member = member, r.width = w, r.height = h;
  RenderResult out = RenderSlide(r);
  EXPECT_EQ(fixtures::BoxTexts(services.boxes), "") << path;
  return std::move(out.bitmap);
}

// Pixels of a whose colour b has nowhere within one pixel: rounding may move a line by one.
int Unmatched(const gdi::Bitmap& a, const gdi::Bitmap& b) {
  int n = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          const int X = x + dx, Y = y + dy;
          found = X >= 0 && Y >= 0 && X < b.width && Y < b.height && b.At(X, Y) == a.At(x, y);
        }
      n += !found;
    }
  return n;
}

// Every vector slide (and library member) of samples/ and of the corpus.
std::vector<std::pair<std::string, std::string>> RoundTripSlides() {
  std::vector<std::pair<std::string, std::string>> slides;
  for (const char* dir : {LANTERNA_SOURCE_DIR "/samples", LANTERNA_CORPUS_DIR}) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      const std::string path = entry.path().string();
      if (SlideKindOf(path) == kKindSlide) slides.push_back({path, ""});
      if (SlideKindOf(path) != kKindLibrary) continue;
      char name[kLibraryNameLength + 8];
      while (MemberIterator(path.c_str(), name)) slides.push_back({path, name});
    }
  }
  return slides;
}

TEST(DxfSlideRoundTrip, EverySampleAndCorpusSlideComesBackAsTheSamePicture) {
  fixtures::TempDir dir;
  const std::string dxf = dir.File("x.dxf"), made = dir.File("y.sld");
  const auto slides = RoundTripSlides();
  ASSERT_GE(slides.size(), 3u);  // at least the samples
  for (const auto& [path, member] : slides) {
    const std::string name = path + (member.empty() ? "" : "," + member);
    ASSERT_EQ(fixtures::Cli("dxf " + Quote(name) + " " + Quote(dxf)).exit, 0) << name;
    const fixtures::CliRun r = fixtures::Cli("slide " + Quote(dxf) + " -o " + Quote(made));
    ASSERT_EQ(r.exit, 0) << name << "\n" << r.output;
    const auto a = Render(path, member, 640, 480), b = Render(made, "", 640, 480);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Unmatched(*a, *b), 0) << name;
    EXPECT_EQ(Unmatched(*b, *a), 0) << name;
  }
}

bool HaveEzdxf() {
  return std::system("/usr/bin/python3 -c 'import ezdxf' 2>/dev/null") == 0;
}

// The ezdxf drawing (tests/fixtures/make_dxf.py) made into a slide, drawn on 1001 x 1001
// pixels: drawing point (x, y) lands on pixel (x, 1000 - y).
struct EzdxfSlide : ::testing::Test {
  fixtures::TempDir dir;
  std::string dxf = dir.File("ezdxf.dxf"), made = dir.File("made.sld");
  void SetUp() override {
    if (!HaveEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed";
    ASSERT_EQ(std::system(("/usr/bin/python3 " LANTERNA_SOURCE_DIR "/tests/fixtures/make_dxf.py " +
                           Quote(dxf))
                              .c_str()),
              0);
  }
};

// Any pixel within two of the spot has the colour.
bool Near(const gdi::Bitmap& b, int x, int y, gdi::COLORREF c) {
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx)
      if (b.At(x + dx, 1000 - (y + dy)) == c) return true;
  return false;
}

TEST_F(EzdxfSlide, EachEntityKindIsDrawnWhereExpected) {
  const fixtures::CliRun r = fixtures::Cli("slide " + Quote(dxf) + " -o " + Quote(made));
  ASSERT_EQ(r.exit, 0) << r.output;
  EXPECT_EQ(r.output.find("skipped:"), std::string::npos) << r.output;
  const auto b = Render(made, "", 1001, 1001);
  ASSERT_TRUE(b);
  const gdi::COLORREF black = gdi::RGB(0, 0, 0), white = gdi::RGB(255, 255, 255),
                      red = gdi::RGB(255, 0, 0), green = gdi::RGB(0, 255, 0),
                      cyan = gdi::RGB(0, 255, 255), blue = gdi::RGB(0, 0, 255);
  struct Spot {
    const char* what;
    int x, y;
    gdi::COLORREF colour;
  };
  const std::vector<Spot> spots = {
      {"LINE, colour 1", 150, 50, red},
      {"LWPOLYLINE bulge arc top", 400, 150, blue},
      {"LWPOLYLINE closing edge", 400, 50, blue},
      {"CIRCLE right", 230, 250, black},
      {"CIRCLE top", 150, 330, black},
      {"ARC start", 480, 250, black},
      {"ARC end", 400, 330, black},
      {"ARC left out", 320, 250, white},
      {"ELLIPSE major end", 750, 250, black},
      {"ELLIPSE minor end", 650, 300, black},
      {"SPLINE middle", 150, 450, black},
      {"SPLINE not its control point", 150, 500, white},
      {"POINT", 400, 450, black},
      {"SOLID filled", 600, 450, green},
      {"3DFACE edge", 750, 400, black},
      {"3DFACE not filled", 750, 450, white},
      {"TRACE filled", 900, 450, black},
      {"INSERT rotated, scaled, by block", 100, 740, green},
      {"INSERT array, third column", 445, 650, black},
      {"INSERT nested", 690, 650, black},
      {"layer off", 150, 850, white},
      {"layer frozen", 400, 850, white},
      {"by layer colour", 700, 850, red},
      {"TEXT: the crossbar of its A", 65, 933, black},
      {"solid HATCH", 900, 100, cyan},
      {"DIMENSION line, from its block", 700, 600, black},
  };
  for (const Spot& s : spots) EXPECT_TRUE(Near(*b, s.x, s.y, s.colour)) << s.what;
}

TEST_F(EzdxfSlide, ChosenLayersAndSizeAndSldtoppm) {
  ASSERT_EQ(fixtures::Cli("slide " + Quote(dxf) + " -o " + Quote(made) + " --size 300x100").exit,
            0);
  EXPECT_EQ(ReadSlideExtent(made, "").width, 300);
  EXPECT_EQ(ReadSlideExtent(made, "").height, 100);
  if (std::system("command -v sldtoppm >/dev/null") == 0) {
    // netpbm's reader takes it without a word.
    const fixtures::CliRun r =
        fixtures::Cli("", true, "sldtoppm " + Quote(made) + " 2>&1 >/dev/null #");
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(r.output, "");
  }
  // Only the red line's layer: the slide is fitted to it.
  const fixtures::CliRun r =
      fixtures::Cli("slide " + Quote(dxf) + " --layer red -o " + Quote(made) + " --size 200x10");
  ASSERT_EQ(r.exit, 0) << r.output;
  const auto b = Render(made, "", 201, 11);
  ASSERT_TRUE(b);
  for (int x = 10; x < 190; x += 30) EXPECT_EQ(b->At(x, 5), gdi::RGB(255, 0, 0)) << x;
}

TEST(DxfSlideFailures, UnreadableOrEmptyDrawingsWriteNothing) {
  fixtures::TempDir dir;
  const std::string empty =
      dir.Write("empty.dxf",
                fixtures::Bytes{'0', '\n', 'S', 'E', 'C', 'T',  'I', 'O',  'N',  '\n', '2',  '\n',
                                'E', 'N',  'T', 'I', 'T', 'I',  'E', 'S',  '\n', '0',  '\n', 'E',
                                'N', 'D',  'S', 'E', 'C', '\n', '0', '\n', 'E',  'O',  'F',  '\n'});
  const std::string garbage = dir.Write("garbage.dxf", fixtures::Bytes(300, 0xFF));
  struct Case {
    std::string input, args, message;
  };
  const std::vector<Case> cases = {
      {dir.File("missing.dxf"), "", "cannot be read"},
      {garbage, "", "draws nothing"},  // dxflib finds no entity in it
      {empty, "", "draws nothing"},
      {empty, "--layer NONE", "draws nothing"},
  };
  for (const Case& c : cases) {
    const std::string out = dir.File("out.sld");
    const fixtures::CliRun r =
        fixtures::Cli("slide " + Quote(c.input) + " -o " + Quote(out) + " " + c.args);
    EXPECT_EQ(r.exit, 1) << c.input;
    EXPECT_NE(r.output.find(c.input + ": " + c.message), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(out)) << c.input;
  }
}

// Steps that fit a byte take the short records; a long polygon is filled in fans.
TEST(SlideEncoder, ShortRecordsAndLongFills) {
  SlideEncoder e = BeginSlide(1000, 1000);
  const size_t header = e.bytes.size();
  EncodeColour(e, 1);
  EncodeLine(e, {300, 300}, {310, 300});  // a full vector, leaving (310, 300) as the last point
  EncodeLine(e, {310, 300}, {310, 320});  // common endpoint
  EncodeLine(e, {300, 330}, {290, 330});  // offset vector
  EXPECT_EQ(e.bytes.size() - header, 2u + 8 + 3 + 5);
  std::vector<SlidePoint> circle;
  for (int i = 0; i < 100; ++i)
    circle.push_back(
        SlidePoint{500 + static_cast<int>(std::lround(300 * std::cos(i * M_PI / 50))),
                   500 + static_cast<int>(std::lround(300 * std::sin(i * M_PI / 50)))});
  EncodeFill(e, circle);
  EndSlide(e);
  fixtures::TempDir dir;
  const std::string path = dir.Write("fill.sld", fixtures::Bytes(e.bytes.begin(), e.bytes.end()));
  const auto b = Render(path, "", 1001, 1001);
  ASSERT_TRUE(b);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{500, 500}, {790, 500}, {500, 210}})
    EXPECT_NE(b->At(x, 1000 - y), gdi::RGB(255, 255, 255)) << x << "," << y;
  EXPECT_EQ(b->At(500, 1000 - 100), gdi::RGB(255, 255, 255));
}

// The header's aspect ratio, times 10,000,000 in 32 bits, even for a slide 32767 by 1.
TEST(SlideEncoder, AspectRatioKeepsWithinItsField) {
  struct Case {
    int width, height;
    uint32_t aspect;
  };
  for (const Case& c : {Case{4, 3, 13333333}, Case{32767, 1, 0x7FFFFFFF}}) {
    const std::vector<uint8_t> bytes = BeginSlide(c.width, c.height).bytes;
    uint32_t aspect = 0;
    for (int b = 0; b < 4; ++b) aspect |= uint32_t{bytes[23 + b]} << (8 * b);
    EXPECT_EQ(aspect, c.aspect) << c.width << "x" << c.height;
  }
}

// Angles of a damaged file: so far off that no turn changes them, or no number. The drawing is
// read (each arc within one turn) and made into a slide.
TEST(DxfSlideFailures, FarOffAndNoNumberAnglesStillMakeASlide) {
  fixtures::TempDir dir;
  for (const char* angle : {"-1e308", "1e308", "nan"}) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "  0\nSECTION\n  2\nENTITIES\n"
                  "  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n 11\n1000\n 21\n1000\n"
                  "  0\nELLIPSE\n  8\n0\n 10\n500\n 20\n500\n 11\n100\n 21\n0\n 40\n0.5\n"
                  " 41\n0\n 42\n%s\n"
                  "  0\nARC\n  8\n0\n 10\n500\n 20\n500\n 40\n100\n 50\n0\n 51\n%s\n"
                  "  0\nWIPEOUT\n  8\n0\n 10\n0\n 20\n0\n 11\n%s\n 12\n0\n 22\n9\n 13\n1\n"
                  " 23\n1\n 14\n-0.5\n 24\n-0.5\n 14\n0.5\n 24\n0.5\n 14\n%s\n 24\n0\n"
                  "  0\nENDSEC\n  0\nEOF\n",
                  angle, angle, angle, angle);
    const std::string path = dir.Write("arcs.dxf", fixtures::Bytes(text, text + std::strlen(text)));
    dxfin::Drawing d;
    ASSERT_TRUE(dxfin::ReadDrawing(path, &d)) << angle;
    for (const dxfin::Entity& e : d.model) {
      if (e.kind != dxfin::Kind::kEllipse || !std::isfinite(e.t1)) continue;
      EXPECT_GT(e.t1, e.t0) << angle;
      EXPECT_LE(e.t1, e.t0 + 2 * M_PI + 1e-9) << angle;
    }
    EXPECT_FALSE(dxfin::MakeSlide(d, {}).bytes.empty()) << angle;
  }
}

// A block of many lines copied a few times is bounded by the entities drawn, not the copies.
TEST(DxfSlideFailures, EntitiesDrawnInAllAreBounded) {
  dxfin::Drawing d;
  dxfin::Entity line;
  line.kind = dxfin::Kind::kPath;
  line.layer = "0";
  line.points = {{0, 0}, {100, 100}};
  d.blocks["B"].entities.assign(1000, line);
  dxfin::Entity insert;
  insert.kind = dxfin::Kind::kInsert;
  insert.layer = "0";
  insert.block = "B";
  insert.points = {{0, 0}};
  insert.cols = 10;
  d.model.push_back(insert);
  dxfin::SlideOptions options;
  options.width = options.height = 200;
  const dxfin::MadeSlide whole = dxfin::MakeSlide(d, options);
  EXPECT_EQ(whole.lines, 10000);
  EXPECT_FALSE(whole.limited);
  options.maxEntities = 2500;
  const dxfin::MadeSlide bounded = dxfin::MakeSlide(d, options);
  EXPECT_GT(bounded.lines, 0);
  EXPECT_LT(bounded.lines, 2500);
  EXPECT_TRUE(bounded.limited);  // lanterna-cli slide warns and exits 1 on it
  options.maxEntities = 1000000;
  options.maxCopies = 3;
  const dxfin::MadeSlide copies = dxfin::MakeSlide(d, options);
  EXPECT_EQ(copies.lines, 3000);
  EXPECT_TRUE(copies.limited);
}

}  // namespace

namespace {

// A table is drawn as the block that holds its picture, where it stands; a binary DXF is told
// apart from a drawing that draws nothing.
TEST(DxfTables, ATableIsItsBlockAndABinaryDxfIsRecognised) {
  fixtures::TempDir dir;
  const std::string text =
      "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\n*T1\n70\n1\n10\n0\n20\n0\n30\n0\n3\n*T1\n"
      "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n5\n0\nENDBLK\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n0\nACAD_TABLE\n8\nGrid\n62\n3\n2\n*T1\n10\n100\n20\n50\n"
      "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDSEC\n0\nEOF\n";
  const std::string path = dir.Write("table.dxf", fixtures::Bytes(text.begin(), text.end()));
  dxfin::Drawing d;
  ASSERT_TRUE(dxfin::ReadDrawing(path, &d));
  ASSERT_EQ(d.model.size(), 2u);
  const dxfin::Entity& table = d.model[0];
  EXPECT_EQ(table.kind, dxfin::Kind::kInsert);
  EXPECT_EQ(table.block, "*T1");
  EXPECT_EQ(table.layer, "GRID");
  EXPECT_EQ(table.colour, 3);
  EXPECT_DOUBLE_EQ(table.points[0].x, 100);
  EXPECT_DOUBLE_EQ(table.points[0].y, 50);
  EXPECT_FALSE(dxfin::IsBinaryDxf(path));
  const char binary[] = "AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION";
  EXPECT_TRUE(dxfin::IsBinaryDxf(
      dir.Write("binary.dxf", fixtures::Bytes(binary, binary + sizeof binary - 1))));
}

}  // namespace
