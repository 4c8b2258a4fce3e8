// Writes the fuzzers' starting inputs into OUTDIR/{slide,library,rendering,dxf}: slides with
// every record kind and header form, rendering slides of each render type, libraries of both,
// and the DXF lanterna-cli dxf makes of each vector slide. Usage: fuzz_seeds OUTDIR
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_common.h"
#include "tests/rendering_writer.h"
#include "tests/slide_writer.h"

namespace {

using fixtures::Bytes;
using fixtures::RenderingWriter;
using fixtures::SlideWriter;

// Every vector record kind, a few of each.
Bytes EveryRecord(SlideWriter s) {
  s.Colour(1).Vector(10, 10, 90, 10).Common(-20, 30).Offset(5, 5, -5, 10);
  s.Colour(3).Fill({{20, 20}, {60, 20}, {40, 70}});
  s.Colour(250).Vector(0, 0, 99, 79);
  return s.EndOfFile().Build();
}

std::vector<std::pair<std::string, Bytes>> Slides() {
  SlideWriter noEnd(50, 50);
  noEnd.Vector(0, 0, 49, 49);
  SlideWriter crowdedFill(50, 50);
  crowdedFill.FillStart(40);
  for (int i = 0; i < 40; ++i) crowdedFill.FillRecord(i, (i * 7) % 50);
  crowdedFill.FillRecord(0, -1).EndOfFile();
  return {{"new.sld", EveryRecord(SlideWriter(100, 80))},
          {"old.sld", EveryRecord(SlideWriter(100, 80, 1))},
          {"bigendian.sld", EveryRecord(SlideWriter(100, 80, 2, true))},
          {"zerowidth.sld", EveryRecord(SlideWriter(0, 80))},
          {"noend.sld", noEnd.Build()},
          {"crowdedfill.sld", crowdedFill.Build()}};
}

Bytes MappedPolygons(bool longHeader) {
  RenderingWriter r(64, 48);
  if (longHeader) r.Long("a shaded cube");
  for (int i = 0; i < 16; ++i) r.ColourEntry(i, i * 16, 255 - i * 16, 128);
  r.ColourMapEnd().Parameters(0.1, 1.0, 1, 0.2, 0.3, 0.4, 0.5);
  r.Polygon(3, 5, {{0, 0}, {63, 0}, {32, 47}});
  r.Polygon(200, 201, {{10, 10}, {50, 10}, {50, 40}, {10, 40}});  // indices never defined
  return r.Build();
}

Bytes ContinuousPolygons() {
  RenderingWriter r(64, 48, 0);
  const double fill[3] = {0.2, 0.5, 0.8}, edge[3] = {1, 1, 1};
  r.ContinuousPolygon(fill, edge, 0.7, {{0, 0}, {63, 0}, {63, 47}});
  r.ContinuousPolygon(fill, edge, 0.3, {{5, 5}, {40, 5}, {20, 40}}, true);
  return r.Build();
}

Bytes Scanlines() {
  RenderingWriter r(16, 8);
  for (int i = 0; i < 4; ++i) r.ColourEntry(i, i * 80, 0, 255 - i * 80);
  r.ColourMapEnd();
  for (int y = 0; y < 8; ++y) r.Scanline(0, y, 16, Bytes(16, static_cast<uint8_t>(y % 4)));
  return r.Build();
}

std::vector<std::pair<std::string, Bytes>> Renderings() {
  return {{"mapped.rnd", MappedPolygons(false)},
          {"long.rnd", MappedPolygons(true)},
          {"continuous.rnd", ContinuousPolygons()},
          {"scanline.rnd", Scanlines()}};
}

std::vector<std::pair<std::string, Bytes>> Libraries() {
  const Bytes slide = EveryRecord(SlideWriter(100, 80));
  return {{"two.slb", fixtures::LibraryBytes({{"PLAN", slide}, {"shade", MappedPolygons(false)}})},
          {"open.slb", fixtures::LibraryBytes({{"A", slide}, {"B", Scanlines()}}, false)},
          {"empty.slb", fixtures::LibraryBytes({})},
          {"unprintable.slb", fixtures::LibraryBytes({{"A\nB\x1b[7m", slide}})}};
}

bool WriteAll(const std::string& dir, const std::vector<std::pair<std::string, Bytes>>& files) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  bool ok = true;
  for (const auto& [name, bytes] : files) ok = fixtures::WriteFile(dir + "/" + name, bytes) && ok;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
    return 2;
  }
  const std::string out = argv[1];
  bool ok = WriteAll(out + "/slide", Slides()) && WriteAll(out + "/rendering", Renderings()) &&
            WriteAll(out + "/library", Libraries()) && WriteAll(out + "/dxf", {});
  for (const auto& [name, bytes] : Slides()) {
    const std::string slide = out + "/slide/" + name, stem = out + "/dxf/" + name;
    lanterna::DxfCommand({slide, stem + ".lines.dxf"});
    lanterna::DxfCommand({slide, stem + ".polylines.dxf", "--polylines"});
  }
  if (!ok) std::fprintf(stderr, "fuzz_seeds: cannot write into %s\n", out.c_str());
  return ok ? 0 : 1;
}
