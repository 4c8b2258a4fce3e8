// Slides of small DXF drawings written here as text, one case per thing CAD programs show:
// extrusion directions, stale extents, face edges, points, hatch boundaries, fitted splines.
// Each drawing spans (0, 0) to (100, 100), marked by a POINT at each corner, and is made into a
// slide of 100 x 100 units drawn on 101 x 101 pixels: point (x, y) lands within a pixel of
// pixel (x, 100 - y).
#include "dxfin/dxf_drawing.h"

#include <gtest/gtest.h>

#include <cstring>

#include "dxfin/dxf_slide.h"
#include "output/render_job.h"
#include "tests/test_support.h"

namespace {

using namespace lanterna;

// Group lines "code|value|code|value..." with '|' for the line breaks.
std::string Dxf(const std::string& header, const std::string& blocks, const std::string& entities) {
  std::string text = "0|SECTION|2|HEADER|" + header + "0|ENDSEC|";
  text += "0|SECTION|2|BLOCKS|" + blocks + "0|ENDSEC|";
  text += "0|SECTION|2|ENTITIES|0|POINT|8|0|10|0|20|0|0|POINT|8|0|10|100|20|100|" + entities;
  text += "0|ENDSEC|0|EOF|";
  for (char& c : text)
    if (c == '|') c = '\n';
  return text;
}

struct Drawn {
  dxfin::Drawing drawing;
  std::unique_ptr<gdi::Bitmap> bitmap;
  // Whether there is ink within a pixel of the point's pixel.
  bool Ink(int x, int y) const {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (bitmap && bitmap->At(x + dx, 100 - y + dy) != gdi::RGB(255, 255, 255)) return true;
    return false;
  }
};

Drawn Draw(const std::string& text, int size = 100) {
  fixtures::TempDir dir;
  Drawn d;
  const std::string path = dir.Write("in.dxf", fixtures::Bytes(text.begin(), text.end()));
  EXPECT_TRUE(dxfin::ReadDrawing(path, &d.drawing));
  dxfin::SlideOptions options;
  options.width = options.height = size;
  const dxfin::MadeSlide made = dxfin::MakeSlide(d.drawing, options);
  const std::string slide =
      dir.Write("out.sld", fixtures::Bytes(made.bytes.begin(), made.bytes.end()));
  RenderRequest r;
  r.path = slide, r.width = size + 1, r.height = size + 1;
  d.bitmap = RenderSlide(r).bitmap;
  return d;
}

struct Spot {
  int x, y;
  bool ink;
};

struct Case {
  const char* what;
  std::string header, blocks, entities;
  std::vector<Spot> spots;
};

const char kMirror[] = "210|0|220|0|230|-1|";

TEST(DxfDrawing, EachCaseIsDrawnWhereItsGeometrySays) {
  const std::vector<Case> cases = {
      {"CIRCLE mirrored by its extrusion",
       "",
       "",
       "0|CIRCLE|8|0|10|-30|20|50|40|10|" + std::string(kMirror),
       {{20, 50, true}, {40, 50, true}, {30, 50, false}}},
      {"ARC mirrored: its upper left quarter",
       "",
       "",
       "0|ARC|8|0|10|-50|20|50|40|20|50|0|51|90|" + std::string(kMirror),
       {{36, 64, true}, {64, 64, false}}},
      {"LWPOLYLINE mirrored",
       "",
       "",
       "0|LWPOLYLINE|8|0|90|2|70|0|10|-10|20|10|10|-40|20|10|" + std::string(kMirror),
       {{25, 10, true}}},
      {"INSERT mirrored: the block runs to the left",
       "",
       "0|BLOCK|8|0|2|B|70|0|10|0|20|0|0|LINE|8|0|10|0|20|0|11|20|21|0|0|ENDBLK|8|0|",
       "0|INSERT|8|0|2|B|10|-60|20|80|" + std::string(kMirror),
       {{45, 80, true}, {75, 80, false}}},
      {"POLYLINE of a tilted plane: OCS (x, y) is world (-x, -0.8 y)",
       "",
       "",
       "0|POLYLINE|8|0|66|1|10|0|20|0|30|0|70|0|210|0|220|0.6|230|0.8|"
       "0|VERTEX|8|0|10|-20|20|-50|0|VERTEX|8|0|10|-80|20|-50|0|SEQEND|8|0|",
       {{50, 40, true}, {50, 60, false}}},
      {"stale header extents far away",
       "9|$EXTMIN|10|1000|20|1000|9|$EXTMAX|10|2000|20|2000|",
       "",
       "0|LINE|8|0|10|10|20|50|11|90|21|50|",
       {{50, 50, true}}},
      {"header extents ten times too big",
       "9|$EXTMIN|10|-500|20|-500|9|$EXTMAX|10|500|20|500|",
       "",
       "0|LINE|8|0|10|10|20|50|11|90|21|50|",
       {{50, 50, true}, {10, 50, true}}},
      {"3DFACE: visible edges only, not filled",
       "",
       "",
       "0|3DFACE|8|0|10|10|20|10|11|40|21|10|12|40|22|40|13|10|23|40|70|2|",
       {{25, 10, true}, {25, 40, true}, {10, 25, true}, {40, 25, false}, {25, 25, false}}},
      {"solid HATCH with an island",
       "",
       "",
       "0|HATCH|8|0|10|0|20|0|30|0|2|SOLID|70|1|71|0|91|2|"
       "92|3|72|0|73|1|93|4|10|10|20|10|10|90|20|10|10|90|20|90|10|10|20|90|97|0|"
       "92|18|72|0|73|1|93|4|10|40|20|40|10|60|20|40|10|60|20|60|10|40|20|60|97|0|"
       "75|0|76|1|98|0|",
       {{25, 25, true}, {75, 75, true}, {50, 50, false}}},
      {"HATCH polyline boundary with a bulge: a half circle on top",
       "",
       "",
       "0|HATCH|8|0|10|0|20|0|30|0|2|SOLID|70|1|71|0|91|1|"
       "92|3|72|1|73|1|93|4|10|10|20|10|42|0|10|50|20|10|42|0|10|50|20|30|42|1|"
       "10|10|20|30|42|0|97|0|75|0|76|1|98|0|",
       {{30, 45, true}, {30, 20, true}, {30, 52, false}, {12, 45, false}}},
      {"HATCH clockwise arc edge: the lower half",
       "",
       "",
       "0|HATCH|8|0|10|0|20|0|30|0|2|SOLID|70|1|71|0|91|1|"
       "92|1|93|2|72|1|10|10|20|60|11|50|21|60|"
       "72|2|10|30|20|60|40|20|50|0|51|180|73|0|97|0|75|0|76|1|98|0|",
       {{30, 45, true}, {30, 75, false}}},
      {"LWPOLYLINE 20 wide: filled across its width",
       "",
       "",
       "0|LWPOLYLINE|8|0|90|2|70|0|43|20|10|20|20|50|10|80|20|50|",
       {{50, 58, true}, {50, 42, true}, {50, 50, true}, {50, 65, false}}},
      {"LWPOLYLINE 8 wide turning sharply: its outer corner mitred to a point near (81, 26)",
       "",
       "",
       "0|LWPOLYLINE|8|0|90|3|70|0|43|8|10|10|20|30|10|60|20|30|10|10|20|50|",
       {{72, 27, true}, {90, 27, false}}},
      {"POLYLINE widening from 0 to 40",
       "",
       "",
       "0|POLYLINE|8|0|66|1|10|0|20|0|30|0|70|0|"
       "0|VERTEX|8|0|10|20|20|50|40|0|41|40|0|VERTEX|8|0|10|80|20|50|0|SEQEND|8|0|",
       {{70, 62, true}, {30, 58, false}}},
      {"DIMENSION whose block is missing: drawn from its points",
       "9|$DIMTXT|40|5|",
       "",
       "0|DIMENSION|8|0|2|*D9|70|1|10|50|20|80|11|50|21|85|13|20|23|50|14|80|24|50|",
       {{30, 80, true}, {20, 65, true}, {80, 65, true}, {50, 65, false}}},
      {"DIMENSION drawn by its block only",
       "",
       "0|BLOCK|8|0|2|*D9|70|1|10|0|20|0|0|LINE|8|0|10|0|20|10|11|100|21|10|0|ENDBLK|8|0|",
       "0|DIMENSION|8|0|2|*D9|70|1|10|50|20|80|11|50|21|85|13|20|23|50|14|80|24|50|",
       {{50, 10, true}, {20, 65, false}, {30, 80, false}}},
      {"LEADER with its arrowhead: 30 long ($DIMASZ 15 by $DIMSCALE 2), 10 wide",
       "9|$DIMASZ|40|15|9|$DIMSCALE|40|2|",
       "",
       "0|LEADER|8|0|71|1|76|2|10|20|20|50|10|80|20|50|",
       {{45, 53, true}, {55, 53, false}, {70, 50, true}}},
      {"LEADER without its arrowhead",
       "9|$DIMASZ|40|15|9|$DIMSCALE|40|2|",
       "",
       "0|LEADER|8|0|71|0|76|2|10|20|20|50|10|80|20|50|",
       {{45, 53, false}, {70, 50, true}}},
      {"SPLINE through fit points only: a curve, not a zigzag",
       "",
       "",
       "0|SPLINE|8|0|70|8|71|3|72|0|73|0|74|3|"
       "11|10|21|10|31|0|11|50|21|50|31|0|11|90|21|10|31|0|",
       {{30, 30, false}, {50, 50, true}}},
  };
  for (const Case& c : cases) {
    const Drawn d = Draw(Dxf(c.header, c.blocks, c.entities));
    ASSERT_TRUE(d.bitmap) << c.what;
    for (const Spot& s : c.spots)
      EXPECT_EQ(d.Ink(s.x, s.y), s.ink) << c.what << " at " << s.x << "," << s.y;
  }
}

// A WIPEOUT over the square (40, 40) to (60, 60): the image one pixel of 20 x 20 units,
// clipped to its rectangle.
const char kWipeout[] =
    "0|WIPEOUT|5|A2|330|1F|8|0|10|40|20|40|11|20|21|0|12|0|22|20|13|1|23|1|71|1|"
    "14|-0.5|24|-0.5|14|0.5|24|0.5|";
const char kLine[] = "0|LINE|5|A1|330|1F|8|0|10|10|20|50|11|90|21|50|";

TEST(DxfDrawing, WipeoutHidesWhatWasDrawnBeforeIt) {
  const std::string objects = "0|ENDSEC|0|SECTION|2|OBJECTS|";
  const std::vector<Case> cases = {
      {"a line drawn before: cut, no frame",
       "",
       "",
       std::string(kLine) + kWipeout,
       {{20, 50, true}, {80, 50, true}, {50, 50, false}, {50, 40, false}}},
      {"a line drawn after: whole", "", "", std::string(kWipeout) + kLine, {{50, 50, true}}},
      {"a SOLID before: cut to both sides",
       "",
       "",
       "0|SOLID|8|0|10|10|20|45|11|90|21|45|12|10|22|55|13|90|23|55|" + std::string(kWipeout),
       {{20, 50, true}, {80, 50, true}, {50, 50, false}, {44, 50, false}, {56, 50, false}}},
      {"the frame when WIPEOUTVARIABLES shows it",
       "",
       "",
       std::string(kLine) + kWipeout + objects + "0|WIPEOUTVARIABLES|5|B1|70|1|",
       {{50, 40, true}, {50, 60, true}, {50, 50, false}}},
      {"the frame when the header's $WIPEOUTFRAME shows it",
       "9|$WIPEOUTFRAME|70|2|",
       "",
       std::string(kLine) + kWipeout,
       {{50, 40, true}, {50, 50, false}}},
      {"a SORTENTSTABLE draws the line after the wipeout",
       "",
       "",
       std::string(kLine) + kWipeout + objects +
           "0|SORTENTSTABLE|5|B0|330|C|100|AcDbSortentsTable|330|1F|331|A1|5|A3|",
       {{50, 50, true}}},
  };
  for (const Case& c : cases) {
    std::string text = Dxf(c.header, c.blocks, c.entities);
    // Corner points with handles too, so that a sort table orders every entity.
    for (const char* handle : {"8", "9"})
      text.replace(text.find("POINT\n8\n"), 6, std::string("POINT\n5\n") + handle + "\n330\n1F\n");
    const Drawn d = Draw(text);
    ASSERT_TRUE(d.bitmap) << c.what;
    for (const Spot& s : c.spots)
      EXPECT_EQ(d.Ink(s.x, s.y), s.ink) << c.what << " at " << s.x << "," << s.y;
  }
}

// The fitted spline rises smoothly between its points: above the straight zigzag.
TEST(DxfDrawing, FitPointSplinePassesAboveItsChords) {
  const Drawn d =
      Draw(Dxf("", "", "0|SPLINE|8|0|70|8|71|3|74|3|11|10|21|10|11|50|21|50|11|90|21|10|"));
  int highest = -1;
  for (int y = 0; y <= 100; ++y)
    if (d.bitmap->At(30, 100 - y) != gdi::RGB(255, 255, 255)) highest = y;
  EXPECT_GE(highest, 34);
  EXPECT_LE(highest, 44);
}

// The embedded object of a 2018 MTEXT reuses the codes of the point and the direction.
TEST(DxfDrawing, MTextStopsAtItsEmbeddedObject) {
  const Drawn d = Draw(Dxf("", "",
                           "0|MTEXT|8|0|10|20|20|80|40|10|41|50|71|1|1|AB|"
                           "101|Embedded Object|70|1|10|0|20|1|11|0|21|1|40|99|"));
  ASSERT_EQ(d.drawing.model.size(), 3u);
  const dxfin::Entity& t = d.drawing.model[2];
  EXPECT_EQ(t.kind, dxfin::Kind::kText);
  EXPECT_DOUBLE_EQ(t.points[0].x, 20);
  EXPECT_DOUBLE_EQ(t.points[0].y, 80);
  EXPECT_DOUBLE_EQ(t.text.rotation, 0);
  EXPECT_DOUBLE_EQ(t.text.height, 10);
}

// A POINT in a big drawing still shows on a view smaller than the slide.
TEST(DxfDrawing, PointShowsWhenTheSlideIsDrawnSmall) {
  fixtures::TempDir dir;
  const std::string text = Dxf("", "", "0|POINT|8|0|10|50|20|50|0|LINE|8|0|10|0|20|0|11|1|21|0|");
  dxfin::Drawing drawing;
  ASSERT_TRUE(
      dxfin::ReadDrawing(dir.Write("p.dxf", fixtures::Bytes(text.begin(), text.end())), &drawing));
  dxfin::SlideOptions options;
  options.width = options.height = 4000;
  const dxfin::MadeSlide made = dxfin::MakeSlide(drawing, options);
  RenderRequest r;
  r.path = dir.Write("p.sld", fixtures::Bytes(made.bytes.begin(), made.bytes.end()));
  r.width = r.height = 641;
  const auto b = RenderSlide(r).bitmap;
  ASSERT_TRUE(b);
  int ink = 0;
  for (int y = 315; y <= 325; ++y)
    for (int x = 315; x <= 325; ++x) ink += b->At(x, y) != gdi::RGB(255, 255, 255);
  EXPECT_GT(ink, 0);
}

}  // namespace

namespace {

// Texts in the Hershey simplex font: capitals 21 units high, "L" a stroke up at x 4 and one
// along the baseline from 4 to 16, "I" a stroke up at x 4 of an advance of 8.
TEST(DxfDrawing, TextsAreStrokesOfTheirFont) {
  const std::vector<Case> cases = {
      {"L twice the font's size, no box around it",
       "",
       "",
       "0|TEXT|8|0|10|10|20|10|40|42|1|L|",
       {{18, 30, true}, {30, 10, true}, {30, 30, false}, {10, 30, false}, {35, 30, false}}},
      {"L turned a quarter",
       "",
       "",
       "0|TEXT|8|0|10|60|20|10|40|42|50|90|1|L|",
       {{40, 18, true}, {60, 30, true}, {40, 40, false}}},
      {"I twice as wide, centred on its alignment point",
       "",
       "",
       "0|TEXT|8|0|10|0|20|0|40|21|41|2|72|1|11|50|21|50|1|I|",
       {{50, 60, true}, {46, 60, false}, {54, 60, false}}},
      {"I in the middle: halfway from its descenders' bottom (7 below) to its top",
       "",
       "",
       "0|TEXT|8|0|10|0|20|0|40|42|72|4|11|50|21|50|1|I|",
       {{50, 37, true}, {50, 76, true}, {50, 32, false}, {50, 80, false}}},
      {"I leaning 45 degrees",
       "",
       "",
       "0|TEXT|8|0|10|20|20|20|40|42|51|45|1|I|",
       {{49, 41, true}, {28, 41, false}}},
      {"L backwards",
       "",
       "",
       "0|TEXT|8|0|10|60|20|10|40|42|71|2|1|L|",
       {{40, 10, true}, {52, 30, true}, {70, 10, false}}},
      {"MTEXT seen from below: its line runs along its direction, mirrored",
       "",
       "",
       "0|MTEXT|8|0|10|60|20|80|40|21|71|1|11|-1|21|0|31|0|210|0|220|0|230|-1|1|L|",
       {{50, 59, true}, {56, 70, true}, {66, 59, false}}},
      {"MTEXT seen from below with no direction: along world X, upside down",
       "",
       "",
       "0|MTEXT|8|0|10|20|20|60|40|21|71|1|210|0|220|0|230|-1|1|L|",
       {{24, 70, true}, {30, 80, true}, {30, 60, false}, {12, 50, false}}},
      {"MTEXT seen from below, its direction in its embedded object: mirrored, upright",
       "",
       "",
       "0|MTEXT|8|0|10|80|20|60|40|21|71|1|210|0|220|0|230|-1|1|L|"
       "101|Embedded Object|70|1|10|-1|20|0|30|0|11|80|21|60|",
       {{77, 50, true}, {70, 39, true}, {70, 60, false}}},
      {"ATTDEF outside blocks shows its tag; inside one, nothing",
       "",
       "0|BLOCK|8|0|2|B|70|2|10|0|20|0|0|ATTDEF|8|0|10|60|20|20|40|21|1|x|2|I|3|p|70|0|"
       "0|ENDBLK|8|0|",
       "0|ATTDEF|8|0|10|20|20|20|40|21|1|x|2|I|3|p|70|0|0|INSERT|8|0|2|B|10|0|20|0|",
       {{24, 30, true}, {64, 30, false}}},
      {"ATTRIB of an array insert of two columns 40 apart: in each",
       "",
       "0|BLOCK|8|0|2|B|70|2|10|0|20|0|0|ENDBLK|8|0|",
       "0|INSERT|8|0|66|1|2|B|10|0|20|0|70|2|44|40|0|ATTRIB|8|0|10|20|20|20|40|21|1|I|2|T|70|0|"
       "0|SEQEND|8|0|",
       {{24, 30, true}, {64, 30, true}, {44, 30, false}}},
      {"MTEXT in static columns 30 wide, 10 apart, each 40 high: one line each",
       "",
       "",
       "0|MTEXT|8|0|10|5|20|90|40|21|71|1|1|L\\PL\\PL|101|Embedded Object|70|1|"
       "41|40|71|1|72|3|44|30|45|10|73|0|74|0|",
       {{9, 80, true}, {49, 80, true}, {89, 80, true}, {9, 45, false}}},
      {"MTEXT in a column 60 wide hanging from its middle centre",
       "",
       "",
       "0|MTEXT|8|0|10|50|20|50|40|21|71|5|1|I|101|Embedded Object|70|1|71|2|72|1|44|60|45|0|",
       {{50, 42, true}, {50, 58, true}, {50, 64, false}, {50, 36, false}}},
      {"MTEXT of two lines hanging from its bottom left",
       "",
       "",
       "0|MTEXT|8|0|10|10|20|10|40|21|71|7|1|L\\PL|",
       {{20, 10, true}, {20, 45, true}, {20, 28, false}}},
  };
  for (const Case& c : cases) {
    const Drawn d = Draw(Dxf(c.header, c.blocks, c.entities));
    ASSERT_TRUE(d.bitmap) << c.what;
    for (const Spot& s : c.spots)
      EXPECT_EQ(d.Ink(s.x, s.y), s.ink) << c.what << " at " << s.x << "," << s.y;
  }
}

}  // namespace

namespace {

// A binary DXF of one LINE from (10, 20) to (30, 40): codes of two bytes (R13 on) or of one.
std::string BinaryLine(bool wide) {
  std::string b("AutoCAD Binary DXF\r\n\x1a\0", 22);
  auto code = [&](int c) {
    b += static_cast<char>(c);
    if (wide) b += '\0';
  };
  auto text = [&](int c, const char* s) { code(c), b.append(s), b += '\0'; };
  auto number = [&](int c, double d) {
    code(c);
    char raw[8];
    std::memcpy(raw, &d, 8);
    b.append(raw, 8);
  };
  text(0, "SECTION"), text(2, "ENTITIES"), text(0, "LINE"), text(8, "0");
  number(10, 10), number(20, 20), number(11, 30), number(21, 40);
  text(0, "ENDSEC"), text(0, "EOF");
  return b;
}

TEST(DxfDrawing, BinaryDxfIsReadAsItsGroups) {
  fixtures::TempDir dir;
  for (bool wide : {true, false}) {
    const std::string bytes = BinaryLine(wide);
    dxfin::Drawing d;
    ASSERT_TRUE(
        dxfin::ReadDrawing(dir.Write("b.dxf", fixtures::Bytes(bytes.begin(), bytes.end())), &d))
        << wide;
    ASSERT_EQ(d.model.size(), 1u) << wide;
    ASSERT_EQ(d.model[0].points.size(), 2u);
    EXPECT_DOUBLE_EQ(d.model[0].points[0].x, 10);
    EXPECT_DOUBLE_EQ(d.model[0].points[1].y, 40);
    // Cut inside a number: refused, not read past its end.
    const std::string cut = bytes.substr(0, bytes.size() - 30);
    dxfin::Drawing none;
    EXPECT_FALSE(
        dxfin::ReadDrawing(dir.Write("cut.dxf", fixtures::Bytes(cut.begin(), cut.end())), &none))
        << wide;
  }
}

}  // namespace

namespace {

// A TrueType style's text is its font's filled outline (DejaVu stands in for Arial): the stem
// of an I three times as wide is a band, not a stroke.
// A drawing whose style SANS is arial.ttf (DejaVu Sans where Arial is missing).
std::string WithSans(const std::string& entities) {
  std::string tables =
      "0|SECTION|2|TABLES|0|TABLE|2|STYLE|0|STYLE|2|Sans|70|0|3|arial.ttf|0|ENDTAB|0|ENDSEC|";
  for (char& c : tables)
    if (c == '|') c = '\n';
  std::string text = Dxf("", "", entities);
  text.insert(text.find("0\nSECTION\n2\nBLOCKS"), tables);
  return text;
}

TEST(DxfDrawing, TrueTypeTextsAreFilledOutlines) {
  const Drawn d = Draw(WithSans("0|TEXT|8|0|7|SANS|10|30|20|20|40|60|41|3|1|I|"));
  ASSERT_EQ(d.drawing.styleFonts.at("SANS"), "arial.ttf");
  int widest = 0, run = 0;
  for (int x = 0; x <= 100; ++x) {
    run = d.bitmap->At(x, 50) != gdi::RGB(255, 255, 255) ? run + 1 : 0;
    widest = std::max(widest, run);
  }
  EXPECT_GE(widest, 10);
}

// A TrueType text's height is its capitals': I of height 60 on y = 20 reaches y = 80.
TEST(DxfDrawing, TrueTypeTextHeightIsItsCapitals) {
  const Drawn d = Draw(WithSans("0|TEXT|8|0|7|SANS|10|30|20|20|40|60|1|I|"));
  EXPECT_TRUE(d.Ink(44, 78));
  EXPECT_FALSE(d.Ink(44, 83));
  EXPECT_TRUE(d.Ink(44, 21));
}

}  // namespace

namespace {

// A pattern hatch of the square (10, 10) to (90, 90) with an island (40, 40) to (60, 60):
// horizontal lines 10 apart from y = 5, dashes of 10 from x = 0, 20, 40... and gaps between.
TEST(DxfDrawing, PatternHatchIsItsDashedLinesCutToTheBoundary) {
  const Drawn d =
      Draw(Dxf("", "",
               "0|HATCH|8|0|10|0|20|0|30|0|2|USER|70|0|71|0|91|2|"
               "92|3|72|0|73|1|93|4|10|10|20|10|10|90|20|10|10|90|20|90|10|10|20|90|97|0|"
               "92|18|72|0|73|1|93|4|10|40|20|40|10|60|20|40|10|60|20|60|10|40|20|60|97|0|"
               "75|0|76|1|52|0|41|1|77|0|78|1|53|0|43|0|44|5|45|0|46|10|79|2|49|10|49|-10|98|0|"));
  const Spot spots[] = {{25, 25, true},  {15, 25, false}, {35, 25, false}, {25, 30, false},
                        {25, 95, false}, {45, 45, false}, {65, 45, true},  {45, 35, true}};
  for (const Spot& s : spots) EXPECT_EQ(d.Ink(s.x, s.y), s.ink) << s.x << "," << s.y;
}

}  // namespace

namespace {

// A LINE from (10, 50) to (90, 50) in a linetype of dashes 10 long and gaps 10 long, at a
// $LTSCALE of 1 and 2.
TEST(DxfDrawing, LinetypesDashLinesScaledByLtscale) {
  struct Scaled {
    const char* ltscale;
    std::vector<Spot> spots;
  };
  const std::vector<Scaled> cases = {
      {"1", {{15, 50, true}, {25, 50, false}, {35, 50, true}, {45, 50, false}}},
      {"2", {{25, 50, true}, {35, 50, false}, {45, 50, false}, {55, 50, true}}},
  };
  for (const Scaled& c : cases) {
    std::string text = Dxf(std::string("9|$LTSCALE|40|") + c.ltscale + "|", "",
                           "0|LINE|8|0|6|DASHED|10|10|20|50|11|90|21|50|");
    std::string tables =
        "0|SECTION|2|TABLES|0|TABLE|2|LTYPE|0|LTYPE|2|DASHED|70|0|3|__ __|"
        "72|65|73|2|40|20|49|10|74|0|49|-10|74|0|0|ENDTAB|0|ENDSEC|";
    for (char& ch : tables)
      if (ch == '|') ch = '\n';
    text.insert(text.find("0\nSECTION\n2\nBLOCKS"), tables);
    const Drawn d = Draw(text);
    for (const Spot& s : c.spots)
      EXPECT_EQ(d.Ink(s.x, s.y), s.ink) << c.ltscale << " at " << s.x << "," << s.y;
  }
}

}  // namespace

namespace {

// A character the stroke font lacks (a black square) comes filled from a font that has it.
TEST(DxfDrawing, CharactersAStrokeFontLacksAreBorrowed) {
  const Drawn d = Draw(Dxf("", "", "0|TEXT|8|0|10|20|20|20|40|42|1|\xE2\x96\xA0|"));
  bool solid = false;
  for (int y = 2; y < 98 && !solid; ++y)
    for (int x = 2; x < 98 && !solid; ++x) {
      int ink = 0;
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
          ink += d.bitmap->At(x + dx, y + dy) != gdi::RGB(255, 255, 255);
      solid = ink == 25;
    }
  EXPECT_TRUE(solid);
}

}  // namespace
