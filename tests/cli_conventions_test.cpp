// lanterna-cli's conventions: --version, one-line usage errors, pipes both ways, a library's
// members by info, and a slide whose data ends early.
#include <gtest/gtest.h>

#include "lanterna_version.h"
#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

using fixtures::Cli;
using fixtures::CliRun;
using fixtures::Quote;
using fixtures::SlideWriter;

TEST(CliConventions, VersionNamesTheProgram) {
  CliRun r = Cli("--version", false);
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.output.rfind("lanterna-cli " LANTERNA_VERSION "\nLicense GPL-3.0-or-later", 0), 0u) << r.output;
}

TEST(CliConventions, UsageErrorsAreOneLinePointingAtHelp) {
  struct Case {
    const char* args;
    const char* problem;
    const char* help;
  } cases[] = {
      {"render a.sld", "no output", "lanterna-cli render --help"},
      {"render a.sld -o -", "--format", "lanterna-cli render --help"},
      {"render a.sld -o x.png --format png", "--format", "lanterna-cli render --help"},
      {"render a.sld -o x.gif", ".png", "lanterna-cli render --help"},
      {"render - -d out", "standard input", "lanterna-cli render --help"},
      {"info", "one FILE", "lanterna-cli info --help"},
      {"frobnicate", "unknown command frobnicate", "lanterna-cli --help"},
  };
  for (const Case& c : cases) {
    CliRun r = Cli(c.args);
    EXPECT_EQ(r.exit, 2) << c.args;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << c.args << r.output;
    EXPECT_NE(r.output.find(c.problem), std::string::npos) << c.args << r.output;
    EXPECT_NE(r.output.find("(see " + std::string(c.help) + ")"), std::string::npos)
        << c.args << r.output;
  }
}

TEST(CliConventions, StandardInputAndOutputCarryTheSamePicture) {
  fixtures::TempDir dir;
  const std::string slide =
      dir.Write("a.sld", SlideWriter(80, 60).Colour(1).Vector(0, 0, 79, 59).EndOfFile().Build());
  ASSERT_EQ(Cli("render " + Quote(slide) + " -o " + Quote(dir.File("a.ppm"))).exit, 0);
  CliRun piped = Cli("render - -o - --format ppm < " + Quote(slide), false);
  EXPECT_EQ(piped.exit, 0);
  const fixtures::Bytes file = fixtures::ReadFile(dir.File("a.ppm"));
  EXPECT_EQ(piped.output, std::string(file.begin(), file.end()));

  const std::string text = dir.Write("notes.txt", {'h', 'i', '\n'});
  CliRun refused = Cli("render - -o " + Quote(dir.File("n.png")) + " < " + Quote(text));
  EXPECT_EQ(refused.exit, 1);
  EXPECT_NE(refused.output.find("(standard input): not a slide"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("n.png")));
}

TEST(CliConventions, InfoOfALibraryListsItsMembers) {
  fixtures::TempDir dir;
  const fixtures::Bytes a = SlideWriter(40, 40).Build();
  const std::string lib = dir.Write("l.slb", fixtures::LibraryBytes({{"ONE", a}, {"TWO", a}}));
  CliRun r = Cli("info " + Quote(lib));
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.output, lib + ": slide library, 2 members\n  ONE\n  TWO\n");
}

TEST(CliConventions, DataEndingEarlyKeepsThePictureAndFails) {
  fixtures::TempDir dir;
  fixtures::Bytes cut = SlideWriter(40, 40).Vector(0, 0, 39, 39).Vector(0, 39, 39, 0).Build();
  cut.resize(cut.size() - 3);
  const std::string path = dir.Write("cut.sld", cut);
  CliRun r = Cli("render " + Quote(path) + " -o " + Quote(dir.File("c.png")));
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.output.find("the data ends early"), std::string::npos) << r.output;
  EXPECT_TRUE(std::filesystem::exists(dir.File("c.png")));
}

}  // namespace
