// Member names in legacy code pages through every lanterna-cli command: listed, looked up,
// written to files and back into libraries byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "tests/cli_runner.h"
#include "tests/legacy_library.h"
#include "tests/test_support.h"

namespace {

using fixtures::Cli;
using fixtures::CliRun;
using fixtures::LegacyNames;
using fixtures::Quote;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::set<std::string> Files(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.insert(e.path().filename().string());
  return names;
}

class LegacyNamesCli : public ::testing::Test {
 protected:
  void SetUp() override { lib = dir.Write("lib.slb", fixtures::LegacyLibrary()); }
  CliRun Run(const std::string& args) { return Cli(args, false); }
  fixtures::TempDir dir;
  std::string lib;
};

TEST_F(LegacyNamesCli, ListsEveryNameRawOrDecoded) {
  CliRun raw = Run("list --raw " + Quote(lib));
  ASSERT_EQ(raw.exit, 0);
  std::vector<std::string> stored;
  for (const auto& n : LegacyNames()) stored.push_back(n.stored);
  EXPECT_EQ(Lines(raw.output), stored);

  // Each name reads right in its own code page; by default UTF-8 where valid, else cp1252.
  for (const char* page : {"big5", "gbk", "cp1252"}) {
    const std::vector<std::string> shown =
        Lines(Run("list --names " + std::string(page) + " " + Quote(lib)).output);
    ASSERT_EQ(shown.size(), LegacyNames().size()) << page;
    for (size_t i = 0; i < shown.size(); ++i) {
      if (LegacyNames()[i].codePage == page) {
        EXPECT_EQ(shown[i], LegacyNames()[i].text) << page;
      }
    }
  }
  const std::vector<std::string> plain = Lines(Run("list " + Quote(lib)).output);
  ASSERT_EQ(plain.size(), LegacyNames().size());
  EXPECT_EQ(plain[5], "Façade");
  EXPECT_EQ(plain[6], "Tür");
  EXPECT_EQ(plain[2], "¦a");  // Big5 read as cp1252: every byte shown, none dropped
  EXPECT_EQ(Lines(Run("list --names gbk " + Quote(lib)).output)[3],
            "\xEF\xBF\xBD"
            "A");

  EXPECT_NE(Run("info " + Quote(lib)).output.find("7 members"), std::string::npos);
  EXPECT_EQ(Run("list --names no-such-page " + Quote(lib)).exit, 2);
}

TEST_F(LegacyNamesCli, MembersAreFoundByTheirBytesOrTheirDecodedNames) {
  // The same picture whichever way the member is named; "地" (A6 61) is not "再" (A6 41).
  struct Case {
    std::string member, options;
    int index;
  };
  const std::vector<Case> cases = {
      {"plan", "", 0},
      {LegacyNames()[2].stored, "", 2},
      {LegacyNames()[3].stored, "", 3},
      {"西班牙屋面", "--names big5", 1},
      {"平面图", "--names gbk", 4},
      {"Façade", "", 5},   // cp1252 by default
      {"façade", "", -1},  // a name with other than ASCII is matched in its own case only
  };
  for (const Case& c : cases) {
    const std::string out = dir.File("m.png");
    std::filesystem::remove(out);
    const CliRun r = Run("render " + Quote(lib + "," + c.member) + " " + c.options + " -o " +
                         Quote(out) + " --size 100x75");
    if (c.index < 0) {
      EXPECT_EQ(r.exit, 1) << c.member;
      continue;
    }
    ASSERT_EQ(r.exit, 0) << c.member;
    const std::string own = dir.Write("own.sld", fixtures::LegacyMemberSlide(c.index));
    ASSERT_EQ(
        Run("render " + Quote(own) + " -o " + Quote(dir.File("own.png")) + " --size 100x75").exit,
        0);
    EXPECT_EQ(fixtures::ReadFile(out), fixtures::ReadFile(dir.File("own.png"))) << c.member;
  }
}

TEST_F(LegacyNamesCli, EveryCommandTakesADecodedName) {
  const std::string member = Quote(lib + ",西班牙屋面");
  for (const std::string command :
       {"dxf " + member + " " + Quote(dir.File("o.dxf")), "info " + member,
        "thumbnail " + member + " " + Quote(dir.File("t.png")),
        "sheet " + member + " -o " + Quote(dir.File("s.png")),
        "remove " + Quote(lib) + " 西班牙屋面"}) {
    const CliRun r = Cli("--names big5 " + command);
    EXPECT_EQ(r.exit, 0) << command << "\n" << r.output;
  }
  EXPECT_EQ(Lines(Run("list " + Quote(lib)).output).size(), LegacyNames().size() - 1);
}

TEST_F(LegacyNamesCli, FilesTakeTheDecodedNames) {
  ASSERT_EQ(Run("--names big5 render " + Quote(lib) + " -d " + Quote(dir.File("r"))).exit, 0);
  const std::set<std::string> rendered = Files(dir.File("r"));
  EXPECT_EQ(rendered.size(), LegacyNames().size());
  EXPECT_TRUE(rendered.count("lib_西班牙屋面.png"));
  EXPECT_TRUE(rendered.count("lib_地.png") && rendered.count("lib_再.png"));

  // Two names that decode alike (both invalid in GBK) still get a file each.
  ASSERT_EQ(Run("extract --names gbk " + Quote(lib) + " -d " + Quote(dir.File("x"))).exit, 0);
  EXPECT_EQ(Files(dir.File("x")).size(), LegacyNames().size());
  EXPECT_EQ(fixtures::ReadFile(dir.File("x/平面图.SLD")), fixtures::LegacyMemberSlide(4));
  ASSERT_EQ(
      Run("extract --names big5 " + Quote(lib) + " 西班牙屋面 -d " + Quote(dir.File("y"))).exit, 0);
  EXPECT_EQ(fixtures::ReadFile(dir.File("y/西班牙屋面.SLD")), fixtures::LegacyMemberSlide(1));

  // The sheet names every cell; its PDF's text is searchable in UTF-8.
  const std::string pdf = dir.File("s.pdf");
  ASSERT_EQ(Run("sheet --names big5 " + Quote(lib) + " -o " + Quote(pdf)).exit, 0);
  if (std::system("command -v pdftotext >/dev/null") == 0) {
    std::FILE* p = ::popen(("pdftotext " + Quote(pdf) + " -").c_str(), "r");
    std::string words;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) words.append(buf, n);
    ::pclose(p);
    EXPECT_NE(words.find("西班牙屋面"), std::string::npos) << words;
  }
}

TEST_F(LegacyNamesCli, LibrariesAreWrittenBackByteForByte) {
  const std::string copy = dir.File("copy.slb");
  ASSERT_EQ(Run("create " + Quote(copy) + " " + Quote(lib)).exit, 0);
  EXPECT_EQ(fixtures::ReadFile(copy), fixtures::ReadFile(lib));

  // New names go in the code page asked for; what it cannot write, or what is too long, is
  // refused with the library left as it was.
  ASSERT_EQ(Run("--names big5 rename " + Quote(copy) + " plan 平面").exit, 0);
  EXPECT_EQ(Lines(Run("list --raw " + Quote(copy)).output)[0], "\xA5\xAD\xAD\xB1");
  const fixtures::Bytes before = fixtures::ReadFile(copy);
  for (const std::string bad : {"☃雪", "西班牙屋面西班牙屋面西班牙屋面西"}) {
    const CliRun r = Cli("--names big5 rename " + Quote(copy) + " 地 " + Quote(bad));
    EXPECT_EQ(r.exit, 1) << bad << r.output;
    EXPECT_EQ(fixtures::ReadFile(copy), before) << bad;
  }
  const std::string one = dir.Write("二.sld", fixtures::LegacyMemberSlide(9));
  ASSERT_EQ(Run("--names gbk add " + Quote(copy) + " " + Quote(one)).exit, 0);
  EXPECT_EQ(Lines(Run("list --raw " + Quote(copy)).output).back(), "\xB6\xFE");
}

}  // namespace
