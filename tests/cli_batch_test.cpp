// lanterna-cli render and dxf over many inputs: output names, whole libraries, worker
// processes, exit codes, and no half-written or temporary files after failures.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/big_slide.h"
#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

using fixtures::Bytes;
using fixtures::SlideWriter;

using fixtures::Cli;
using fixtures::CliRun;
using fixtures::Quote;

// Every name in a directory, hidden ones included, sorted.
std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

Bytes Slide(int seed) {
  SlideWriter s(200, 150);
  for (int i = 0; i < 20; ++i) {
    s.Colour(1 + (seed * 7 + i) % 15);
    s.Vector((seed * 13 + i * 17) % 200, (i * 11) % 150, (seed * 5 + i * 29) % 200,
             (seed + i * 23) % 150);
  }
  s.Fill({{10, 10}, {60 + seed, 20}, {40, 70 + seed}});
  return s.EndOfFile().Build();
}

TEST(CliBatchNaming, SlidesByBaseNameMembersAsLibraryUnderscoreMember) {
  fixtures::TempDir dir;
  std::filesystem::create_directories(dir.File("x"));
  std::filesystem::create_directories(dir.File("y"));
  const std::string a = dir.Write("x/plan.v2.sld", Slide(1));
  const std::string again = dir.Write("y/PLAN.v2.sld", Slide(2));
  const std::string lib =
      dir.Write("parts.slb", fixtures::LibraryBytes({{"DOOR", Slide(3)}, {"a/b", Slide(4)}}));
  const std::string out = dir.File("out");  // created by the command
  CliRun r = Cli("render " + Quote(a) + " " + Quote(again) + " " + Quote(lib + ",door") + " " +
                 Quote(lib) + " -d " + Quote(out));
  EXPECT_EQ(r.exit, 0) << r.output;
  // Clashing names (compared without case) take _2, _3 in input order; a "/" in a member name
  // stays inside the directory.
  EXPECT_EQ(Listing(out),
            (std::vector<std::string>{"PLAN.v2_2.png", "parts_DOOR_2.png", "parts_a_b.png",
                                      "parts_door.png", "plan.v2.png"}));
  EXPECT_NE(r.output.find("5 done, 0 failed"), std::string::npos) << r.output;

  r = Cli("dxf -d " + Quote(out) + " " + Quote(lib + ",a/b") + " --polylines");
  EXPECT_EQ(r.exit, 0) << r.output;
  EXPECT_TRUE(std::filesystem::exists(dir.File("out/parts_a_b.dxf")));
}

TEST(CliBatchNaming, BatchOutputsEqualTheSingleForms) {
  fixtures::TempDir dir;
  const std::string a = dir.Write("a.sld", Slide(5));
  const std::string lib = dir.Write("l.slb", fixtures::LibraryBytes({{"M", Slide(6)}}));
  for (const char* format : {"png", "ppm", "svg"}) {
    const std::string out = dir.File(std::string("out-") + format);
    ASSERT_EQ(Cli("render " + Quote(a) + " " + Quote(lib) + " --size 90x70 --zoom 2 -d " +
                  Quote(out) + " --format " + format)
                  .exit,
              0);
    const std::string single = dir.File(std::string("single.") + format);
    ASSERT_EQ(
        Cli("render " + Quote(lib + ",M") + " --size 90x70 --zoom 2 -o " + Quote(single)).exit, 0);
    EXPECT_EQ(fixtures::ReadFile(out + "/l_M." + format), fixtures::ReadFile(single)) << format;
    EXPECT_TRUE(std::filesystem::exists(out + "/a." + format));
  }
  ASSERT_EQ(Cli("dxf " + Quote(a) + " " + Quote(dir.File("a.dxf"))).exit, 0);
  ASSERT_EQ(Cli("dxf " + Quote(a) + " -d " + Quote(dir.File("dxf"))).exit, 0);
  EXPECT_EQ(fixtures::ReadFile(dir.File("dxf/a.dxf")), fixtures::ReadFile(dir.File("a.dxf")));
}

TEST(CliBatchLibrary, AWholeLibraryIsEveryMember) {
  fixtures::TempDir dir;
  const std::string lib = dir.Write(
      "set.slb",
      fixtures::LibraryBytes({{"ZED", Slide(7)}, {"alpha   ", Slide(8)}, {"Mid", Slide(9)}}));
  CliRun r = Cli("dxf " + Quote(lib) + " -d " + Quote(dir.File("o")));
  EXPECT_EQ(r.exit, 0) << r.output;
  EXPECT_EQ(Listing(dir.File("o")),
            (std::vector<std::string>{"set_Mid.dxf", "set_ZED.dxf", "set_alpha.dxf"}));
  // Each member's own picture, not the first member's.
  EXPECT_NE(fixtures::ReadFile(dir.File("o/set_ZED.dxf")),
            fixtures::ReadFile(dir.File("o/set_Mid.dxf")));

  // A library that cannot be read fails as one input; the others still go through.
  const std::string a = dir.Write("a.sld", Slide(1));
  r = Cli("render " + Quote(dir.File("gone.slb")) + " " + Quote(a) + " -d " + Quote(dir.File("p")));
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.output.find("failed: " + dir.File("gone.slb")), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("1 done, 1 failed"), std::string::npos) << r.output;
  EXPECT_EQ(Listing(dir.File("p")), std::vector<std::string>{"a.png"});
}

TEST(CliBatchJobs, TwoWorkersWriteTheSameFilesAsOne) {
  fixtures::TempDir dir;
  std::string inputs;
  for (int i = 0; i < 7; ++i)
    inputs += " " + Quote(dir.Write("s" + std::to_string(i) + ".sld", Slide(10 + i)));
  std::vector<fixtures::Member> members;
  for (int i = 0; i < 5; ++i) members.push_back({"M" + std::to_string(i), Slide(20 + i)});
  inputs += " " + Quote(dir.Write("lib.slb", fixtures::LibraryBytes(members)));
  // One failing input in the middle fails the same way under either count.
  inputs += " " + Quote(dir.File("missing.sld")) + " " + Quote(dir.Write("t.png", Slide(30)));

  for (const std::string command : {"render", "dxf"}) {
    const std::string one = dir.File(command + "-1"), two = dir.File(command + "-2");
    CliRun r1 = Cli(command + inputs + " -d " + Quote(one) + " --jobs 1");
    CliRun r2 = Cli(command + inputs + " -d " + Quote(two) + " --jobs 2");
    EXPECT_EQ(r1.exit, 1) << r1.output;
    EXPECT_EQ(r2.exit, 1) << r2.output;
    for (const CliRun* r : {&r1, &r2}) {
      EXPECT_NE(r->output.find("failed: " + dir.File("missing.sld")), std::string::npos);
      EXPECT_NE(r->output.find("12 done, 2 failed"), std::string::npos) << r->output;
    }
    const std::vector<std::string> names = Listing(one);
    EXPECT_EQ(names.size(), 12u);
    ASSERT_EQ(names, Listing(two));
    for (const std::string& n : names)
      EXPECT_EQ(fixtures::ReadFile(one + "/" + n), fixtures::ReadFile(two + "/" + n)) << n;
  }
}

TEST(CliBatchFailures, AWriteFailingMidBatchLeavesNoFileAndNoTemporary) {
  fixtures::TempDir dir;
  const std::string a = dir.Write("a.sld", Slide(1));
  const std::string big = dir.Write("big.sld", fixtures::BigDrawing(20000));
  const std::string c = dir.Write("c.sld", Slide(2));
  // Under a file size limit of 512 KiB (or 1 MiB, by the shell's block size) the big slide's
  // outputs fail part way through their writing; the small ones fit.
  const std::string limit = "ulimit -f 1024; ";
  for (const char* jobs : {"1", "2"}) {
    const std::string out = dir.File(std::string("ppm") + jobs);
    CliRun r = Cli("render " + Quote(a) + " " + Quote(big) + " " + Quote(c) + " -d " + Quote(out) +
                       " --format ppm --jobs " + jobs,
                   true, limit);
    EXPECT_EQ(r.exit, 1) << r.output;
    EXPECT_NE(r.output.find(out + "/big.ppm: cannot write"), std::string::npos) << r.output;
    EXPECT_EQ(Listing(out), (std::vector<std::string>{"a.ppm", "c.ppm"})) << jobs;

    // The DXF writer's failed writes are seen too: no truncated drawing is kept.
    const std::string dxf = dir.File(std::string("dxf") + jobs);
    r = Cli("dxf " + Quote(a) + " " + Quote(big) + " " + Quote(c) + " -d " + Quote(dxf) +
                " --jobs " + jobs,
            true, limit);
    EXPECT_EQ(r.exit, 1) << r.output;
    EXPECT_NE(r.output.find("big.dxf: cannot write"), std::string::npos) << r.output;
    EXPECT_EQ(Listing(dxf), (std::vector<std::string>{"a.dxf", "c.dxf"})) << jobs;
  }
  // The single form keeps an existing output as it was.
  const std::string kept = dir.Write("kept.dxf", {'o', 'l', 'd'});
  EXPECT_EQ(Cli("dxf " + Quote(big) + " " + Quote(kept), true, limit).exit, 1);
  EXPECT_EQ(fixtures::ReadFile(kept), (Bytes{'o', 'l', 'd'}));
  for (const std::string& n : Listing(dir.File(""))) EXPECT_NE(n[0], '.') << n;
}

TEST(CliBatchOutputs, LinksAndPipesAreWrittenThroughNotReplaced) {
  fixtures::TempDir dir;
  const std::string a = dir.Write("a.sld", Slide(3));
  ASSERT_EQ(Cli("dxf " + Quote(a) + " " + Quote(dir.File("direct.dxf"))).exit, 0);
  const Bytes expected = fixtures::ReadFile(dir.File("direct.dxf"));

  dir.Write("target.dxf", {'o', 'l', 'd'});
  std::filesystem::create_symlink("target.dxf", dir.File("link.dxf"));
  EXPECT_EQ(Cli("dxf " + Quote(a) + " " + Quote(dir.File("link.dxf"))).exit, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.dxf")));
  EXPECT_EQ(fixtures::ReadFile(dir.File("target.dxf")), expected);

  // The pipe is held open for reading, so that the writer never waits; it is read afterwards
  // (the drawing is far smaller than a pipe's buffer).
  const std::string fifo = dir.File("pipe.dxf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  CliRun r = Cli("dxf " + Quote(a) + " " + Quote(fifo));
  EXPECT_EQ(r.exit, 0) << r.output;
  Bytes piped;
  uint8_t buf[4096];
  ssize_t n;
  while ((n = ::read(reader, buf, sizeof buf)) > 0) piped.insert(piped.end(), buf, buf + n);
  ::close(reader);
  EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
  EXPECT_EQ(piped, expected);
}

TEST(CliBatchUsage, ExitCodesForUsage) {
  fixtures::TempDir dir;
  const std::string a = Quote(dir.Write("a.sld", Slide(1)));
  const std::string d = " -d " + Quote(dir.File("o"));
  EXPECT_EQ(Cli("render" + d).exit, 2);                     // no input
  EXPECT_EQ(Cli("render " + a + d + " -o x.png").exit, 2);  // both
  EXPECT_EQ(Cli("render " + a + " -o x.png --format png").exit, 2);
  EXPECT_EQ(Cli("render " + a + d + " --format gif").exit, 2);
  EXPECT_EQ(Cli("render " + a + d + " --jobs 0").exit, 2);
  EXPECT_EQ(Cli("render " + a + d + " --jobs two").exit, 2);
  EXPECT_EQ(Cli("render " + a + " " + a + " -o x.png").exit, 2);  // many need -d
  EXPECT_EQ(Cli("dxf" + d).exit, 2);
  EXPECT_EQ(Cli("dxf " + a + d + " --jobs").exit, 2);
  EXPECT_EQ(Cli("dxf " + a + " " + a + " x.dxf").exit, 2);
  EXPECT_FALSE(std::filesystem::exists(dir.File("o")));
  // An output directory that cannot be made is a failure, not usage.
  const std::string file = Quote(dir.Write("plain", {1}));
  EXPECT_EQ(Cli("render " + a + " -d " + file + "/sub").exit, 1);
}

TEST(CliBatchHelp, EveryCommandHasHelpOnStdout) {
  for (const std::string command :
       {"render", "dxf", "list", "info", "create", "extract", "sheet", "add", "remove",
        "rename", "slide"}) {
    CliRun r = Cli(command + " --help", false);
    EXPECT_EQ(r.exit, 0) << command;
    EXPECT_EQ(r.output.rfind("usage: lanterna-cli " + command, 0), 0u) << command << r.output;
    EXPECT_EQ(Cli("help " + command, false).output, r.output) << command;
  }
  CliRun all = Cli("--help", false);
  EXPECT_EQ(all.exit, 0);
  EXPECT_NE(all.output.find("-d DIR"), std::string::npos);
}

}  // namespace
