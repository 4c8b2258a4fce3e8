// lanterna-cli create and extract: the files, the names and the exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "tests/test_support.h"

namespace {

using fixtures::Bytes;
using fixtures::LibraryBytes;
using fixtures::SlideWriter;

struct CliRun {
  int exit;
  std::string out;  // stdout
  std::string all;  // stdout and stderr
};

CliRun Cli(const std::string& args) {
  CliRun r{-1, "", ""};
  const std::string errFile =
      std::filesystem::temp_directory_path() / ("lanterna-cli-err-" + std::to_string(::getpid()));
  const std::string command = std::string(LANTERNA_CLI_PATH) + " " + args + " 2>'" + errFile + "'";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) r.out.append(buf.data(), n);
  const int status = ::pclose(pipe);
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const Bytes err = fixtures::ReadFile(errFile);
  std::remove(errFile.c_str());
  r.all = r.out + std::string(err.begin(), err.end());
  return r;
}

std::string Q(const std::string& s) {
  return "'" + s + "'";
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

Bytes Slide(int seed) {
  return SlideWriter(50 + seed, 40).Vector(0, 0, seed, 39).EndOfFile().Build();
}

TEST(CliLibraryCreate, EntriesInOrderWithUniqueNames) {
  fixtures::TempDir dir;
  std::filesystem::create_directories(dir.File("a"));
  std::filesystem::create_directories(dir.File("b"));
  const Bytes r1 = Slide(1), r2 = Slide(2), m1 = Slide(3), m2 = Slide(4);
  const std::string roofA = dir.Write("a/ROOF.SLD", r1), roofB = dir.Write("b/ROOF.SLD", r2);
  const std::string src = dir.Write("src.slb", LibraryBytes({{"Door", m1}, {"WIN", m2}}));
  const std::string lib = dir.File("new.slb");

  // A whole library stands for all its members; a member keeps its name.
  CliRun r = Cli("create " + Q(lib) + " " + Q(roofA) + " " + Q(src + ",WIN") + " " + Q(roofB) +
                 " " + Q(src) + " --delete-sources");
  ASSERT_EQ(r.exit, 0) << r.all;
  EXPECT_EQ(
      fixtures::ReadFile(lib),
      LibraryBytes({{"ROOF_A", r1}, {"WIN_A", m2}, {"ROOF_B", r2}, {"Door", m1}, {"WIN_B", m2}}));
  EXPECT_EQ(r.out, "ROOF_A\t" + roofA + "\nWIN_A\t" + src + ",WIN\nROOF_B\t" + roofB + "\nDoor\t" +
                       src + ",Door\nWIN_B\t" + src + ",WIN\n");
  EXPECT_FALSE(std::filesystem::exists(roofA) || std::filesystem::exists(roofB));
  EXPECT_EQ(fixtures::ReadFile(src), LibraryBytes({{"Door", m1}, {"WIN", m2}}));
  EXPECT_EQ(FilesIn(dir.File("")), (std::vector<std::string>{"a", "b", "new.slb", "src.slb"}));

  EXPECT_EQ(Cli("create --help").exit, 0);
  EXPECT_TRUE(Has(Cli("create --help").out, "usage: lanterna-cli create LIBRARY ENTRY..."));
}

TEST(CliLibraryCreate, FailuresLeaveTheLibraryAndTheSources) {
  fixtures::TempDir dir;
  const Bytes old = LibraryBytes({{"OLD", Slide(1)}});
  const std::string lib = dir.Write("lib.slb", old);
  const std::string good = dir.Write("good.sld", Slide(2));
  const std::string absent = dir.File("absent.sld");
  CliRun r = Cli("create " + Q(lib) + " " + Q(good) + " " + Q(absent) + " " + Q(lib + ",NOPE") +
                 " --delete-sources");
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(Has(r.all, absent + ": cannot open")) << r.all;
  EXPECT_TRUE(Has(r.all, lib + ": no member NOPE")) << r.all;
  EXPECT_TRUE(Has(r.all, lib + ": not written")) << r.all;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(fixtures::ReadFile(lib), old);
  EXPECT_TRUE(std::filesystem::exists(good));
  EXPECT_FALSE(std::filesystem::exists(dir.File("lib.~SB")));

  // A path with a comma cannot be told from LIBRARY,MEMBER by the writer.
  const std::string comma = dir.Write("a,b.sld", Slide(3));
  r = Cli("create " + Q(lib) + " " + Q(comma));
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(Has(r.all, comma + ": a path with a comma")) << r.all;
  EXPECT_EQ(fixtures::ReadFile(lib), old);

  EXPECT_EQ(Cli("create").exit, 2);
  EXPECT_EQ(Cli("create " + Q(lib)).exit, 2);
  EXPECT_EQ(Cli("create " + Q(lib) + " " + Q(good) + " --frob").exit, 2);
  // The first name is the output: a slide file there is refused, not overwritten.
  EXPECT_EQ(Cli("create " + Q(good) + " " + Q(good)).exit, 2);
  EXPECT_EQ(fixtures::ReadFile(good), Slide(2));
}

TEST(CliLibraryExtract, MembersAsFilesNamedAfterThem) {
  fixtures::TempDir dir;
  Bytes rendering = {'A', 'u', 't', 'o', 'S', 'h', 'a', 'd', 'e', ' ', 'R', 'e',  'n', 'd',
                     'e', 'r', 'i', 'n', 'g', ' ', 'S', 'l', 'i', 'd', 'e', '\r', '\n'};
  rendering.resize(200, 7);
  const Bytes a = Slide(1), b = Slide(2);
  const std::string lib =
      dir.Write("l.slb", LibraryBytes({{"Plan", a}, {"SHADED", rendering}, {"a/b", b}}));
  const std::string out = dir.File("out/sub");

  CliRun r = Cli("extract " + Q(lib) + " -d " + Q(out));
  ASSERT_EQ(r.exit, 0) << r.all;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"Plan.SLD", "SHADED.RND", "a_b.SLD"}));
  EXPECT_EQ(fixtures::ReadFile(out + "/Plan.SLD"), a);
  EXPECT_EQ(fixtures::ReadFile(out + "/SHADED.RND"), rendering);
  EXPECT_EQ(fixtures::ReadFile(out + "/a_b.SLD"), b);
  EXPECT_EQ(r.out, out + "/Plan.SLD\n" + out + "/SHADED.RND\n" + out + "/a_b.SLD\n");

  // Requested members match without regard to case; a missing one is named, the rest written.
  const std::string some = dir.File("some");
  r = Cli("extract " + Q(lib) + " PLAN nothing -d " + Q(some));
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(Has(r.all, "no member nothing")) << r.all;
  EXPECT_EQ(FilesIn(some), (std::vector<std::string>{"Plan.SLD"}));

  // What create writes, extract gives back unchanged.
  const std::string again = dir.File("again.slb");
  ASSERT_EQ(Cli("create " + Q(again) + " " + Q(out + "/Plan.SLD") + " " + Q(lib + ",a/b")).exit, 0);
  EXPECT_EQ(fixtures::ReadFile(again), LibraryBytes({{"Plan", a}, {"a/b", b}}));

  EXPECT_EQ(Cli("extract " + Q(dir.File("none.slb"))).exit, 1);
  EXPECT_EQ(Cli("extract " + Q(dir.File("x.sld"))).exit, 1);
  EXPECT_EQ(Cli("extract").exit, 2);
  EXPECT_EQ(Cli("extract " + Q(lib) + " -d").exit, 2);
  EXPECT_TRUE(Has(Cli("extract --help").out, "usage: lanterna-cli extract LIBRARY"));
}

TEST(CliLibraryExtract, UnwritableOutputLeavesNothingHalfWritten) {
  fixtures::TempDir dir;
  const Bytes a = Slide(1);
  const std::string lib = dir.Write("l.slb", LibraryBytes({{"ONE", a}, {"one", a}}));
  const std::string out = dir.File("out");
  std::filesystem::create_directories(out + "/ONE.SLD");  // a directory in the file's place
  CliRun r = Cli("extract " + Q(lib) + " -d " + Q(out));
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(Has(r.all, out + "/ONE.SLD: cannot write")) << r.all;
  // The second member of the same name cannot be looked up apart from the first.
  EXPECT_TRUE(Has(r.all, "a second member named one")) << r.all;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"ONE.SLD"}));
}

}  // namespace
