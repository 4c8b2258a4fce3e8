// lanterna-cli add, remove and rename: the library after each edit, and every refusal leaving it
// byte for byte as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

using fixtures::Bytes;
using fixtures::LibraryBytes;
using fixtures::Member;
using fixtures::Quote;

Bytes Slide(int seed) {
  return fixtures::SlideWriter(50 + seed, 40).Vector(0, 0, seed, 39).EndOfFile().Build();
}

// lib.slb holds Plan, DOOR, Win; beside it new.sld, "my new.sld" and other.slb (Tree, plan).
struct CliLibraryEdit : ::testing::Test {
  fixtures::TempDir dir;
  const Bytes plan = Slide(1), door = Slide(2), win = Slide(3), fresh = Slide(4), tree = Slide(5),
              plan2 = Slide(6);
  const Bytes original = LibraryBytes({{"Plan", plan}, {"DOOR", door}, {"Win", win}});
  std::string lib;

  void SetUp() override {
    lib = dir.Write("lib.slb", original);
    dir.Write("new.sld", fresh);
    dir.Write("my new.sld", fresh);
    dir.Write("other.slb", LibraryBytes({{"Tree", tree}, {"plan", plan2}}));
  }
  // "$D/" in args stands for the folder.
  fixtures::CliRun Run(const std::string& command, std::string args) {
    for (size_t at; (at = args.find("$D/")) != std::string::npos;)
      args.replace(at, 3, dir.File(""));
    return fixtures::Cli(command + " " + Quote(lib) + " " + args);
  }
};

struct EditCase {
  const char* command;
  const char* args;
  std::vector<std::pair<const char*, char>> members;  // name and which slide: p d w f t q
};

TEST_F(CliLibraryEdit, EditsKeepOrderAndPlaces) {
  const std::vector<EditCase> cases = {
      {"add",
       "$D/new.sld '$D/other.slb,Tree'",
       {{"Plan", 'p'}, {"DOOR", 'd'}, {"Win", 'w'}, {"new", 'f'}, {"Tree", 't'}}},
      {"add", "'$D/other.slb,plan' --replace", {{"Plan", 'q'}, {"DOOR", 'd'}, {"Win", 'w'}}},
      {"add",
       "--replace '$D/lib.slb,win' $D/new.sld",
       {{"Plan", 'p'}, {"DOOR", 'd'}, {"Win", 'w'}, {"new", 'f'}}},
      {"remove", "door WIN", {{"Plan", 'p'}}},
      {"remove", "plan door win", {}},
      {"rename", "door Gate", {{"Plan", 'p'}, {"Gate", 'd'}, {"Win", 'w'}}},
      {"rename", "plan PLAN", {{"PLAN", 'p'}, {"DOOR", 'd'}, {"Win", 'w'}}},
  };
  const std::map<char, Bytes> slides = {{'p', plan},  {'d', door}, {'w', win},
                                        {'f', fresh}, {'t', tree}, {'q', plan2}};
  for (const EditCase& c : cases) {
    fixtures::WriteFile(lib, original);
    const fixtures::CliRun r = Run(c.command, c.args);
    std::vector<Member> expected;
    for (const auto& [name, which] : c.members) expected.push_back({name, slides.at(which)});
    EXPECT_EQ(r.exit, 0) << c.command << " " << c.args << "\n" << r.output;
    EXPECT_EQ(fixtures::ReadFile(lib), LibraryBytes(expected)) << c.command << " " << c.args;
    EXPECT_FALSE(std::filesystem::exists(dir.File("lib.~SB")));
  }
  // The emptied library is still one: it lists, with nothing in it.
  fixtures::WriteFile(lib, LibraryBytes({}));
  EXPECT_EQ(fixtures::Cli("list " + Quote(lib)).exit, 0);
}

struct RefusalCase {
  const char* command;
  const char* args;
  const char* message;
};

TEST_F(CliLibraryEdit, EveryFailureLeavesTheLibraryByteIdentical) {
  const std::vector<RefusalCase> cases = {
      {"add", "$D/missing.sld", "cannot open"},
      {"add", "$D/new.sld '$D/other.slb,NOPE'", "no member NOPE"},
      {"add", "'$D/other.slb,plan'", "a member Plan is already there"},
      {"add", "$D/new.sld $D/new.sld --replace", "given twice"},
      {"add", "'$D/my new.sld'", "cannot be a member name"},
      {"add", "$D/new.sld --force", "unknown option"},
      {"remove", "NOPE", "no member NOPE"},
      {"remove", "DOOR door", "no member door"},
      {"rename", "NOPE Gate", "no member NOPE"},
      {"rename", "DOOR win", "a member Win is already there"},
      {"rename", "DOOR 'a b'", "cannot be a member name"},
      {"rename", "DOOR a,b", "cannot be a member name"},
      {"rename", "DOOR ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", "cannot be a member name"},
      {"rename", "DOOR", "rename needs"},
  };
  for (const RefusalCase& c : cases) {
    const fixtures::CliRun r = Run(c.command, c.args);
    EXPECT_NE(r.exit, 0) << c.command << " " << c.args;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.command << " " << c.args << "\n"
                                                           << r.output;
    EXPECT_EQ(fixtures::ReadFile(lib), original) << c.command << " " << c.args;
  }
  // A write error: no file may grow past its first byte, as on a full disk.
  const fixtures::CliRun r =
      fixtures::Cli("rename " + Quote(lib) + " DOOR Gate", true, "ulimit -f 0; ");
  EXPECT_EQ(r.exit, 1) << r.output;
  EXPECT_NE(r.output.find("not written"), std::string::npos) << r.output;
  EXPECT_EQ(fixtures::ReadFile(lib), original);
  // Not a library at all.
  fixtures::WriteFile(lib, fresh);
  EXPECT_EQ(Run("remove", "DOOR").exit, 1);
  EXPECT_EQ(fixtures::ReadFile(lib), fresh);
}

}  // namespace
