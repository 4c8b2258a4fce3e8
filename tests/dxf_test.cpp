// DXF text written while a vector slide is decoded.
#include <gtest/gtest.h>

#include <sstream>

#include "render/dxf_writer.h"
#include "tests/test_support.h"

namespace {

using namespace lanterna;
using fixtures::SlideWriter;

std::string Convert(const fixtures::TempDir& dir, const fixtures::Bytes& slide, bool polylines) {
  const std::string path = dir.Write("in.sld", slide);
  const std::string out = dir.File("out.dxf");
  platform::HeadlessWindow window(100, 100);
  fixtures::NameBuffer name;
  InterruptMask(kInterruptEscape);
  ShowIcon(&window, path.c_str(), name.data(), polylines ? SI_DXF_POLYLINES : 0, out.c_str(),
           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  InterruptMask(kDefaultInterruptMask);
  const fixtures::Bytes text = fixtures::ReadFile(out);
  return std::string(text.begin(), text.end());
}

// The file as lines joined by '|', after checking every line ends in CR LF.
std::string Lines(const std::string& dxf) {
  std::string joined;
  size_t at = 0;
  while (at < dxf.size()) {
    const size_t end = dxf.find("\r\n", at);
    EXPECT_NE(end, std::string::npos);
    if (end == std::string::npos) break;
    if (!joined.empty()) joined += '|';
    joined += dxf.substr(at, end - at);
    at = end + 2;
  }
  return joined;
}

const char kPreamble[] = "  0|SECTION|  2|ENTITIES|  0";
const char kTrailer[] = "ENDSEC|  0|EOF";

TEST(DxfFromSlides, EmptySlideIsPreambleAndTrailer) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  EXPECT_EQ(Lines(Convert(dir, SlideWriter(10, 10).Build(), false)),
            std::string(kPreamble) + "|" + kTrailer);
  ASSERT_EQ(services.mex.calls.size(), 3u);
  EXPECT_EQ(services.mex.calls[0].text, "Converting to DXF...");
  EXPECT_EQ(services.mex.calls[0].title, "Wait...");
  EXPECT_EQ(services.mex.calls[1].text, "Closing file");
  EXPECT_FALSE(services.mex.calls[2].hasText);
  EXPECT_FALSE(services.mex.shown);
}

TEST(DxfFromSlides, LinesCarryColourExceptSevenAndRepeatsAreDropped) {
  fixtures::TempDir dir;
  SlideWriter s(100, 100);
  s.Vector(0, 0, 0, 0);  // the same as the remembered LINE of a fresh conversion
  s.Vector(1, 2, 3, 4).Vector(1, 2, 3, 4);
  s.Colour(0).Vector(6, 7, -128, 5);
  const std::string lines = Lines(Convert(dir, s.Build(), false));
  EXPECT_EQ(lines, std::string(kPreamble) +
                       "|LINE|  8|0| 10|1| 20|2| 30|0.0| 11|3| 21|4| 31|0.0|  0"
                       "|LINE|  8|0| 62|0| 10|6| 20|7| 30|0.0| 11|-128| 21|5| 31|0.0|  0|" +
                       kTrailer);
  // A second conversion of the same slide does not depend on the first.
  EXPECT_EQ(Lines(Convert(dir, s.Build(), false)), lines);
}

TEST(DxfFromSlides, SolidCornerOrderAndPolygonFills) {
  fixtures::TempDir dir;
  SlideWriter s(100, 100);
  s.Colour(1).Fill({{10, 10}, {20, 10}, {20, 20}});
  s.Fill({{1, 1}, {2, 1}, {2, 2}, {1, 2}});
  s.Fill({{0, 0}, {5, 0}, {6, 3}, {3, 6}, {0, 5}});
  const std::string lines = Lines(Convert(dir, s.Build(), false));
  EXPECT_NE(lines.find("SOLID|  8|0| 62|1| 10|10| 20|10| 30|0.0| 11|20| 21|10| 31|0.0"
                       "| 12|20| 22|20| 32|0.0| 13|20| 23|20| 33|0.0|  0"),
            std::string::npos);
  EXPECT_NE(lines.find("SOLID|  8|0| 62|1| 10|1| 20|1| 30|0.0| 11|2| 21|1| 31|0.0"
                       "| 12|1| 22|2| 32|0.0| 13|2| 23|2| 33|0.0|  0"),
            std::string::npos);
  EXPECT_NE(lines.find("POLYLINE|  8|0| 62|1| 66|    1| 10|0.0| 20|0.0| 30|0.0|70|    1|  0"
                       "|VERTEX|  8|0| 62|1| 10|0| 20|0| 30|0.0|  0"),
            std::string::npos);
  size_t vertices = 0;
  for (size_t at = 0; (at = lines.find("VERTEX", at)) != std::string::npos; ++at) ++vertices;
  EXPECT_EQ(vertices, 5u);
  EXPECT_NE(lines.find("SEQEND|  8|0| 62|1|  0|ENDSEC"), std::string::npos);
}

TEST(DxfFromSlides, PolylineModeStartsWithTheFirstVectorAndFollowsTheLastPoint) {
  fixtures::TempDir dir;
  SlideWriter s(100, 100);
  s.Vector(10, 20, 30, 40).Common(5, 5).EndOfFile();
  EXPECT_EQ(Lines(Convert(dir, s.Build(), true)),
            std::string(kPreamble) +
                "|POLYLINE|  8|0| 66|    1| 10|0.0| 20|0.0| 30|0.0|  0"
                "|VERTEX|  8|0| 10|30| 20|40| 30|0.0|  0"
                "|VERTEX|  8|0| 10|10| 20|20| 30|0.0|  0"
                "|VERTEX|  8|0| 10|15| 20|25| 30|0.0|  0"
                "|SEQEND|  8|0|  0|" +
                kTrailer);
}

TEST(DxfFromSlides, ColourChangeRestartsAClosedPolylineAtThePreviousVertex) {
  fixtures::TempDir dir;
  SlideWriter s(100, 100);
  s.Vector(10, 20, 30, 40).Colour(2).Common(5, 5);
  const std::string lines = Lines(Convert(dir, s.Build(), true));
  EXPECT_NE(lines.find("SEQEND|  8|0| 62|2|  0"
                       "|POLYLINE|  8|0| 62|2| 66|    1| 10|0.0| 20|0.0| 30|0.0|70|    1|  0"
                       "|VERTEX|  8|0| 62|2| 10|10| 20|20| 30|0.0|  0"
                       "|VERTEX|  8|0| 62|2| 10|15| 20|25| 30|0.0|  0"),
            std::string::npos)
      << lines;
}

}  // namespace
