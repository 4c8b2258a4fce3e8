// lanterna-cli as a person runs it: outputs, exit codes and messages.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "tests/cli_runner.h"
#include "tests/rendering_writer.h"
#include "tests/test_support.h"

namespace {

using fixtures::SlideWriter;

using fixtures::Cli;
using fixtures::CliRun;
using fixtures::Quote;

TEST(CliRender, WritesPngPpmAndSvgOfTheRequestedSize) {
  fixtures::TempDir dir;
  const std::string slide = dir.Write(
      "a.sld", SlideWriter(300, 200).Colour(1).Vector(0, 0, 299, 199).EndOfFile().Build());
  CliRun png =
      Cli("render " + Quote(slide) + " -o " + Quote(dir.File("a.png")) + " --size 150x100");
  EXPECT_EQ(png.exit, 0) << png.output;
  const fixtures::Bytes p = fixtures::ReadFile(dir.File("a.png"));
  ASSERT_GT(p.size(), 24u);
  EXPECT_EQ(std::string(p.begin() + 1, p.begin() + 4), "PNG");
  EXPECT_EQ(p[16] << 24 | p[17] << 16 | p[18] << 8 | p[19], 150);  // IHDR width
  EXPECT_EQ(p[20] << 24 | p[21] << 16 | p[22] << 8 | p[23], 100);

  CliRun ppm = Cli("render " + Quote(slide) + " -o " + Quote(dir.File("a.ppm")));
  EXPECT_EQ(ppm.exit, 0) << ppm.output;
  const fixtures::Bytes m = fixtures::ReadFile(dir.File("a.ppm"));
  const std::string header = "P6\n300 200\n255\n";
  ASSERT_EQ(m.size(), header.size() + 300 * 200 * 3);
  EXPECT_EQ(std::string(m.begin(), m.begin() + header.size()), header);

  CliRun svg = Cli("render " + Quote(slide) + " -o " + Quote(dir.File("a.svg")));
  EXPECT_EQ(svg.exit, 0) << svg.output;
  const fixtures::Bytes s = fixtures::ReadFile(dir.File("a.svg"));
  EXPECT_NE(std::string(s.begin(), s.end()).find("<svg"), std::string::npos);

  // A rendering slide fills the size asked for too (a slide window keeps a margin round it).
  const std::string rnd = dir.Write(
      "r.rnd",
      fixtures::RenderingWriter(50, 50).Polygon(3, 3, {{0, 0}, {49, 0}, {49, 49}}).Build());
  EXPECT_EQ(Cli("render " + Quote(rnd) + " -o " + Quote(dir.File("r.ppm")) + " --size 80x60").exit,
            0);
  const fixtures::Bytes r = fixtures::ReadFile(dir.File("r.ppm"));
  EXPECT_EQ(std::string(r.begin(), r.begin() + 9), "P6\n80 60\n");
}

TEST(CliRender, LibraryMembersByCommaAndFilesWithCommas) {
  fixtures::TempDir dir;
  const fixtures::Bytes a = SlideWriter(40, 40).Vector(0, 0, 39, 39).Build();
  const std::string lib = dir.Write("l.slb", fixtures::LibraryBytes({{"ONE", a}, {"two", a}}));
  EXPECT_EQ(Cli("render " + Quote(lib + ",two") + " -o " + Quote(dir.File("m.png"))).exit, 0);
  CliRun missing = Cli("render " + Quote(lib + ",three") + " -o " + Quote(dir.File("m.png")));
  EXPECT_EQ(missing.exit, 1);
  EXPECT_NE(missing.output.find("three"), std::string::npos);
  // A file whose own name holds a comma is taken whole.
  const std::string odd = dir.Write("odd,name.sld", a);
  EXPECT_EQ(Cli("render " + Quote(odd) + " -o " + Quote(dir.File("o.png"))).exit, 0);
}

TEST(CliRender, BadInputGivesClearErrorsAndExitCodes) {
  fixtures::TempDir dir;
  const std::string absent = dir.File("absent.sld");
  CliRun r = Cli("render " + Quote(absent) + " -o " + Quote(dir.File("x.png")));
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.output.find(absent), std::string::npos);

  const std::string png = dir.Write("picture.png", {1, 2, 3});
  r = Cli("render " + Quote(png) + " -o " + Quote(dir.File("x.png")));
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.output.find("expected .SLD, .SLB or .RND"), std::string::npos);

  EXPECT_EQ(Cli("render").exit, 2);
  EXPECT_EQ(Cli("render a.sld").exit, 2);
  EXPECT_EQ(Cli("render a.sld -o x.gif").exit, 2);
  EXPECT_EQ(Cli("render a.sld -o x.png --zoom 0").exit, 2);
  EXPECT_EQ(Cli("render a.sld -o x.png --size 0x5").exit, 2);
  EXPECT_EQ(Cli("frobnicate").exit, 2);

  // Engine boxes print as TITLE: TEXT.
  fixtures::Bytes cut = SlideWriter(40, 40).Vector(0, 0, 39, 39).Build();
  cut.resize(cut.size() - 2);
  const std::string cutPath = dir.Write("cut.sld", cut);
  r = Cli("render " + Quote(cutPath) + " -o " + Quote(dir.File("c.png")));
  EXPECT_NE(r.output.find("MsWindows Error: IconSize<ByteReaded in Ciclo"), std::string::npos);

  const std::string slide = dir.Write("ok.sld", SlideWriter(40, 40).Build());
  r = Cli("render " + Quote(slide) + " -o " + Quote(dir.File("no/dir/x.png")));
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.output.find("cannot write"), std::string::npos);
}

TEST(CliList, MembersInDirectoryOrder) {
  fixtures::TempDir dir;
  const fixtures::Bytes a = SlideWriter(40, 40).Build();
  const std::string lib =
      dir.Write("l.slb", fixtures::LibraryBytes({{"ZETA", a}, {"alpha  ", a}, {"Mid", a}}));
  CliRun r = Cli("list " + Quote(lib));
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.output, "ZETA\nalpha\nMid\n");
  CliRun missing = Cli("list " + Quote(dir.File("none.slb")));
  EXPECT_EQ(missing.exit, 1);
  EXPECT_NE(missing.output.find("File Not Found"), std::string::npos);
  EXPECT_EQ(Cli("list").exit, 2);
}

}  // namespace

namespace {

TEST(CliInfoAndDxf, InfoPrintsTheReportAndDxfWritesTheFile) {
  fixtures::TempDir dir;
  const std::string slide = dir.Write(
      "a.sld", SlideWriter(300, 200).Colour(1).Vector(0, 0, 299, 199).EndOfFile().Build());
  CliRun info = Cli("info " + Quote(slide));
  EXPECT_EQ(info.exit, 0);
  EXPECT_EQ(info.output.rfind("Actual colors in palette:\t0\n", 0), 0u);
  EXPECT_NE(info.output.find("XY Resolution:\t\t300; 200\n"), std::string::npos);
  EXPECT_EQ(Cli("info " + Quote(dir.File("none.sld"))).output,
            "lanterna-cli: " + dir.File("none.sld") + ": cannot open: no such file\n");
  EXPECT_EQ(Cli("info " + Quote(dir.File("none.sld"))).exit, 1);

  const std::string out = dir.File("a.dxf");
  EXPECT_EQ(Cli("dxf " + Quote(slide) + " " + Quote(out)).exit, 0);
  const fixtures::Bytes d = fixtures::ReadFile(out);
  const std::string text(d.begin(), d.end());
  EXPECT_NE(text.find("LINE\r\n  8\r\n0\r\n 62\r\n1\r\n 10\r\n0\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 18), "ENDSEC\r\n  0\r\nEOF\r\n");
  EXPECT_EQ(Cli("dxf " + Quote(slide) + " " + Quote(out) + " --polylines").exit, 0);
  const fixtures::Bytes p = fixtures::ReadFile(out);
  EXPECT_NE(std::string(p.begin(), p.end()).find("POLYLINE"), std::string::npos);
  EXPECT_EQ(Cli("dxf " + Quote(slide) + " " + Quote(dir.File("no/dir/a.dxf"))).exit, 1);

  // A DXF needs no picture size: a slide without one still gives its vectors. A rendering
  // slide whose drawing is refused (scanlines) leaves no file and fails.
  const std::string flat = dir.Write(
      "flat.sld", SlideWriter(0, 200).Colour(1).Vector(0, 0, 299, 199).EndOfFile().Build());
  const std::string scan =
      dir.Write("scan.rnd", fixtures::RenderingWriter(50, 50).Scanline(0, 0, 5, {1}).Build());
  EXPECT_EQ(Cli("dxf " + Quote(flat) + " " + Quote(out)).exit, 0);
  const fixtures::Bytes f = fixtures::ReadFile(out);
  const std::string flatText(f.begin(), f.end());
  EXPECT_NE(flatText.find("LINE\r\n"), std::string::npos);
  EXPECT_EQ(flatText.substr(flatText.size() - 5), "EOF\r\n");
  const CliRun r = Cli("dxf " + Quote(scan) + " " + Quote(dir.File("scan.dxf")));
  EXPECT_EQ(r.exit, 1) << r.output;
  EXPECT_FALSE(std::filesystem::exists(dir.File("scan.dxf")));
}

}  // namespace
