// What is not a slide or a library is refused at once and plainly: no blocking on special files,
// no noise drawn from text, no garbage member names from random bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "slide/library.h"
#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

using namespace lanterna;
using fixtures::Bytes;

int32_t Load(const std::string& path, uint32_t mode, const char* member = "") {
  fixtures::NameBuffer name(member);
  platform::HeadlessWindow window(40, 30);
  ViewState view;
  const int32_t r = ShowIcon(&window, path.c_str(), name.data(), mode, nullptr, nullptr, nullptr,
                             nullptr, &view, nullptr, nullptr);
  if (GetBitmapSlot()) gdi::DeleteObject(GetBitmapSlot());
  SetBitmapSlot(nullptr);
  return r;
}

std::vector<std::string> List(const std::string& path) {
  std::vector<std::string> names;
  char name[64];
  while (MemberIterator(path.c_str(), name)) names.push_back(name);
  return names;
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

// Special files named like slides: each is "cannot be opened" without waiting for anything.
struct SpecialFiles {
  fixtures::TempDir dir;
  std::vector<std::string> paths;
  SpecialFiles(const std::string& extension) {
    const std::string fifo = dir.File("fifo" + extension);
    EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir.File("folder" + extension);
    EXPECT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string dangling = dir.File("dangling" + extension);
    EXPECT_EQ(::symlink(dir.File("nowhere").c_str(), dangling.c_str()), 0);
    paths = {fifo, folder, dangling};
  }
};

TEST(Refusal, SpecialFilesCannotBeOpenedAndNeverBlock) {
  fixtures::RecordedServices services;
  for (const char* extension : {".sld", ".rnd", ".slb"}) {
    SpecialFiles special(extension);
    for (const std::string& path : special.paths) {
      for (uint32_t mode : {SI_SIZE_ONLY, SI_DIRECT | SI_HEADER_ONLY, SI_KEEP_BITMAP})
        EXPECT_EQ(Load(path, mode, "A"), kCannotOpen) << path;
    }
  }
  SpecialFiles libraries(".slb");
  for (const std::string& path : libraries.paths) {
    services.boxes.boxes.clear();
    EXPECT_TRUE(List(path).empty()) << path;
    EXPECT_EQ(LastListingEnd(), ListingEnd::kCannotOpen);
    ASSERT_EQ(services.boxes.boxes.size(), 1u);
    // "File Not Found" only where nothing is: a FIFO or a folder is told as such.
    const bool dangling = path == libraries.paths.back();
    EXPECT_EQ(services.boxes.boxes[0].title, dangling ? "File Not Found" : "Error") << path;
    if (!dangling) {
      EXPECT_NE(services.boxes.boxes[0].text.find(path + ": "), std::string::npos);
    }
  }
}

TEST(Refusal, DataWithoutTheSlideSignatureIsNotASlide) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const Bytes slide = fixtures::SlideWriter(100, 80).Vector(0, 0, 50, 50).Build();
  const std::string text = dir.Write("notes.sld", Text("Shopping list\nmilk\neggs\n"));
  const std::string empty = dir.Write("empty.sld", {});
  const std::string library =
      dir.Write("l.slb", fixtures::LibraryBytes({{"GOOD", slide}, {"TEXT", Text("hello")}}));
  for (uint32_t mode : {SI_DIRECT | SI_HEADER_ONLY, SI_KEEP_BITMAP, SI_DIRECT}) {
    EXPECT_EQ(Load(text, mode), kNotSlide);
    EXPECT_EQ(Load(empty, mode), kNotSlide);
    EXPECT_EQ(Load(library, mode, "TEXT"), kNotSlide);
    EXPECT_GE(Load(library, mode, "GOOD"), 0);
  }
  EXPECT_TRUE(services.boxes.boxes.empty()) << fixtures::BoxTexts(services.boxes);
  // Its size can still be asked; copying it into a library is refused.
  EXPECT_EQ(Load(text, SI_SIZE_ONLY), 24);
}

TEST(Refusal, LibraryListingStopsAtWhatCannotBeALibrary) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const Bytes m = fixtures::SlideWriter(10, 10).Build();
  Bytes random(4096);
  for (size_t i = 0; i < random.size(); ++i)
    random[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  Bytes unprintable = fixtures::LibraryBytes({{"A", m}, {"B\x1b[2J", m}, {"C", m}});
  Bytes outside = fixtures::LibraryBytes({{"A", m}, {"B", m}, {"C", m}});
  outside[32 + 36 + 32 + 3] = 0x40;  // B's offset far beyond the end
  struct Case {
    const char* name;
    Bytes bytes;
    std::vector<std::string> listed;
    ListingEnd end;
  } cases[] = {
      {"random.slb", random, {}, ListingEnd::kNotLibrary},
      {"unprintable.slb", unprintable, {"A"}, ListingEnd::kDamaged},
      {"outside.slb", outside, {"A"}, ListingEnd::kDamaged},
      {"good.slb", fixtures::LibraryBytes({{"A", m}}), {"A"}, ListingEnd::kComplete},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Write(c.name, c.bytes);
    EXPECT_EQ(List(path), c.listed) << c.name;
    EXPECT_EQ(LastListingEnd(), c.end) << c.name;
    // Lookups stop at the same place: C lies beyond the bad entry.
    EXPECT_EQ(Load(path, SI_SIZE_ONLY, "C"), kNotFound) << c.name;
  }
  EXPECT_TRUE(services.boxes.boxes.empty()) << fixtures::BoxTexts(services.boxes);
}

TEST(Refusal, CliNamesTheFileAndFails) {
  fixtures::TempDir dir;
  const std::string text = dir.Write("notes.sld", Text("not a slide at all\n"));
  Bytes random(2048, 0xA5);
  const std::string lib = dir.Write("random.slb", random);
  const std::string fifo = dir.File("pipe.sld");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string args;
    std::string says;
  } cases[] = {
      {"render " + fixtures::Quote(text) + " -o " + dir.File("a.png"), "notes.sld: not a slide"},
      {"list " + fixtures::Quote(lib), "random.slb: not a slide library"},
      {"render " + fixtures::Quote(fifo) + " -o " + dir.File("b.png"), "pipe.sld: cannot open"},
  };
  for (const Case& c : cases) {
    const fixtures::CliRun run = fixtures::Cli(c.args);
    EXPECT_EQ(run.exit, 1) << c.args;
    EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.png")));
}

}  // namespace
