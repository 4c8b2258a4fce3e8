// Nothing lanterna-cli was asked for may go undone with exit 0: slides cut short, damaged
// directories, output that does not arrive, and library writes that must not lose or mix data.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tests/cli_runner.h"
#include "tests/legacy_library.h"
#include "tests/rendering_writer.h"
#include "tests/test_support.h"

namespace {

using fixtures::Bytes;
using fixtures::Cli;
using fixtures::CliRun;
using fixtures::Quote;

Bytes CutShort(Bytes slide) {
  slide.resize(slide.size() - 7);
  return slide;
}

bool Has(const CliRun& r, const std::string& text) {
  return r.output.find(text) != std::string::npos;
}

bool AnyTemporary(const std::string& dir) {
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (e.path().filename().string().find("~SB") != std::string::npos) return true;
  return false;
}

TEST(CliExit, PartialWorkExitsOneAndSaysSo) {
  fixtures::TempDir dir;
  const std::string cut = dir.Write("cut.sld", CutShort(fixtures::LegacyMemberSlide(5)));
  const std::string good = dir.Write("good.sld", fixtures::LegacyMemberSlide(1));
  const std::string noise = dir.Write("noise.rnd", Bytes(300, 0x5A));
  std::vector<fixtures::Member> members = {{"A", fixtures::LegacyMemberSlide(1)},
                                           {"B", fixtures::LegacyMemberSlide(2)}};
  const std::string cutLib = dir.Write("cutlib.slb", CutShort(fixtures::LibraryBytes(members)));
  // A control byte in the second name: the directory is not read past it.
  members.push_back({"C", fixtures::LegacyMemberSlide(3)});
  members[1].name = "B\x01";
  const std::string damaged = dir.Write("damaged.slb", fixtures::LibraryBytes(members));
  const std::string lib = dir.Write("lib.slb", fixtures::LegacyLibrary());
  std::filesystem::create_directory(dir.File("folder.sld"));
  // A rendering's records have no end mark: the last one cut in the middle is all that shows.
  fixtures::RenderingWriter rendering(40, 30);
  rendering.ColourEntry(1, 255, 0, 0).ColourMapEnd().Polygon(1, 1, {{0, 0}, {39, 0}, {39, 29}});
  const std::string cutRnd = dir.Write("cut.rnd", CutShort(rendering.Build()));

  struct Case {
    std::string args, says;
  };
  const std::vector<Case> cases = {
      {"dxf " + Quote(cut) + " " + Quote(dir.File("o.dxf")), "ends early"},
      {"info " + Quote(cut), "ends early"},
      {"thumbnail " + Quote(cut) + " " + Quote(dir.File("t.png")), "ends early"},
      {"sheet " + Quote(cut) + " " + Quote(good) + " -o " + Quote(dir.File("s.pdf")), "ends early"},
      {"render " + Quote(cut) + " -o " + Quote(dir.File("o.svg")), "ends early"},
      {"render " + Quote(cutRnd) + " -o " + Quote(dir.File("r.png")), "ends early"},
      {"render " + Quote(cutRnd) + " -o " + Quote(dir.File("r.svg")), "ends early"},
      {"dxf " + Quote(cutRnd) + " " + Quote(dir.File("r.dxf")), "ends early"},
      {"render " + Quote(damaged) + " -d " + Quote(dir.File("d")), "1 done, 0 failed, 1 skipped"},
      {"extract " + Quote(cutLib) + " -d " + Quote(dir.File("x")), "1 of 2 members"},
      {"create " + Quote(dir.File("new.slb")) + " " + Quote(good) + " " + Quote(cut), "ends early"},
      {"create " + Quote(dir.File("new.slb")) + " " + Quote(noise), "not a readable slide"},
      {"create " + Quote(dir.File("new.slb")) + " " + Quote(damaged), "damaged library directory"},
      {"add " + Quote(lib) + " " + Quote(cut), "ends early"},
      {"list " + Quote(lib) + " >/dev/full", ""},  // the message went to /dev/full too
      {"info " + Quote(good) + " >/dev/full", ""},
      {"info " + Quote(dir.File("gone.sld")), "no such file"},
      {"info " + Quote(dir.File("folder.sld")), "a directory"},
      {"info " + Quote(noise), "not a readable slide"},
      {"list " + Quote(dir.File("")), "a directory"},
  };
  const Bytes libBefore = fixtures::ReadFile(lib);
  for (const Case& c : cases) {
    const CliRun r = Cli(c.args);
    EXPECT_EQ(r.exit, 1) << c.args << "\n" << r.output;
    EXPECT_TRUE(Has(r, c.says)) << c.args << "\n" << r.output;
    EXPECT_FALSE(Has(r, "File Not Found") && !Has(r, "gone")) << c.args << "\n" << r.output;
  }
  // What could be made is kept; what a library must not take never reaches one.
  EXPECT_TRUE(std::filesystem::exists(dir.File("o.dxf")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("d/damaged_A.png")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("new.slb")));
  EXPECT_EQ(fixtures::ReadFile(lib), libBefore);
}

class LibraryFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i)
      slides.push_back(dir.Write("s" + std::to_string(i) + ".sld", fixtures::LegacyMemberSlide(i)));
    lib = dir.File("real.slb");
    ASSERT_EQ(Cli("create " + Quote(lib) + " " + Quote(slides[0])).exit, 0);
  }
  fixtures::TempDir dir;
  std::vector<std::string> slides;
  std::string lib;
};

TEST_F(LibraryFiles, TwoWritersInOneFolderNeverShareATemporaryFile) {
  std::filesystem::create_directory(dir.File("c"));
  const std::string a = dir.File("c/plan.a.slb"), b = dir.File("c/plan.b.slb");
  std::string many;
  for (int i = 0; i < 150; ++i) many += " " + Quote(slides[i % 3]);
  for (int round = 0; round < 3; ++round) {
    const CliRun r =
        Cli("create " + Quote(a) + many + " >/dev/null & " + std::string(LANTERNA_CLI_PATH) +
            " create " + Quote(b) + " " + Quote(slides[2]) + " >/dev/null; wait");
    ASSERT_EQ(r.exit, 0) << r.output;
    EXPECT_EQ(fixtures::ReadFile(b),
              fixtures::LibraryBytes({{"s2", fixtures::LegacyMemberSlide(2)}}));
    const std::string names = Cli("list " + Quote(a), false).output;
    EXPECT_EQ(std::count(names.begin(), names.end(), '\n'), 150);
  }
  EXPECT_FALSE(AnyTemporary(dir.File("c")));
}

TEST_F(LibraryFiles, LinksModeAndOwnershipAreKept) {
  ASSERT_EQ(::chmod(lib.c_str(), 0640), 0);
  const std::string soft = dir.File("soft.slb"), hard = dir.File("hard.slb");
  ASSERT_EQ(::symlink(lib.c_str(), soft.c_str()), 0);
  ASSERT_EQ(::link(lib.c_str(), hard.c_str()), 0);
  ASSERT_EQ(Cli("add " + Quote(soft) + " " + Quote(slides[1])).exit, 0);
  struct stat st;
  ASSERT_EQ(::lstat(soft.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat(lib.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_nlink, 2u);
  const Bytes both = fixtures::LibraryBytes(
      {{"s0", fixtures::LegacyMemberSlide(0)}, {"s1", fixtures::LegacyMemberSlide(1)}});
  EXPECT_EQ(fixtures::ReadFile(lib), both);
  EXPECT_EQ(fixtures::ReadFile(hard), both);
  EXPECT_FALSE(AnyTemporary(dir.File("")));
}

TEST_F(LibraryFiles, ALibraryTheUserMayNotWriteIsRefused) {
  if (::geteuid() != 0 || std::system("command -v setpriv >/dev/null") != 0)
    GTEST_SKIP() << "needs root to run the edit as another user";
  // The folder lets anyone in; the library is root's, read-only to others.
  ASSERT_EQ(::chmod(dir.File("").c_str(), 0777), 0);
  ASSERT_EQ(::chmod(lib.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(slides[1].c_str(), 0644), 0);
  const Bytes before = fixtures::ReadFile(lib);
  const CliRun r = Cli("add " + Quote(lib) + " " + Quote(slides[1]), true,
                       "setpriv --reuid=65534 --regid=65534 --clear-groups ");
  EXPECT_EQ(r.exit, 1) << r.output;
  EXPECT_TRUE(Has(r, "Permission denied")) << r.output;
  EXPECT_EQ(fixtures::ReadFile(lib), before);
}

TEST_F(LibraryFiles, ASignalLeavesNoTemporaryFile) {
  std::string many;
  for (int i = 0; i < 3000; ++i) many += " " + Quote(slides[i % 3]);
  for (const char* sig : {"INT", "TERM"}) {
    // The signal comes once the temporary file is there (a shell's background job would
    // ignore SIGINT: the run gets it back).
    const CliRun r =
        Cli("create " + Quote(dir.File("big.slb")) + many + " >/dev/null 2>&1 & pid=$!; " +
                "for i in $(seq 2000); do ls " + Quote(dir.File("")) +
                " | grep -q '~SB' && break; sleep 0.005; done; kill -" + sig +
                " $pid; wait $pid; echo status $?",
            false, "env --default-signal=INT ");
    EXPECT_FALSE(AnyTemporary(dir.File(""))) << sig;
    EXPECT_TRUE(Has(r, "status 130") || Has(r, "status 143") || Has(r, "status 0")) << r.output;
  }
}

}  // namespace
