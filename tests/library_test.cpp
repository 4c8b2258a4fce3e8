// Listing the members of a library.
#include "slide/library.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

using namespace lanterna;

std::vector<std::string> List(const std::string& path) {
  std::vector<std::string> names;
  char name[64];
  for (int guard = 0; guard < 1000 && MemberIterator(path.c_str(), name); ++guard)
    names.push_back(name);
  return names;
}

TEST(LibraryListing, NamesInDirectoryOrderCaseKeptBlanksRemoved) {
  fixtures::TempDir dir;
  const fixtures::Bytes m = fixtures::SlideWriter(10, 10).Build();
  const std::string full32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
  const std::string path =
      dir.Write("l.slb", fixtures::LibraryBytes({{"plan   ", m}, {"Second", m}, {full32, m}}));
  EXPECT_EQ(List(path), (std::vector<std::string>{"plan", "Second", full32}));
  // A second listing starts from the beginning again.
  EXPECT_EQ(List(path).size(), 3u);
  fixtures::NameBuffer name(full32);
  EXPECT_EQ(ShowIcon(nullptr, path.c_str(), name.data(), SI_SIZE_ONLY, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr),
            static_cast<int32_t>(m.size()));
}

TEST(LibraryListing, EmptyAndUnterminatedLibraries) {
  fixtures::TempDir dir;
  EXPECT_TRUE(List(dir.Write("e.slb", fixtures::LibraryBytes({}))).empty());
  const fixtures::Bytes m = fixtures::SlideWriter(10, 10).Build();
  fixtures::Bytes cut = fixtures::LibraryBytes({{"A", m}, {"B", m}}, false);
  cut.resize(32 + 36 + 20);  // the file ends inside the second entry, before A's data
  EXPECT_TRUE(List(dir.Write("c.slb", cut)).empty());
  EXPECT_EQ(LastListingEnd(), ListingEnd::kDamaged);
}

TEST(LibraryListing, MissingLibraryShowsFileNotFound) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const std::string path = dir.File("absent.slb");
  EXPECT_TRUE(List(path).empty());
  ASSERT_EQ(services.boxes.boxes.size(), 1u);
  EXPECT_EQ(services.boxes.boxes[0].text, path);
  EXPECT_EQ(services.boxes.boxes[0].title, "File Not Found");
  EXPECT_EQ(services.boxes.boxes[0].style, 0u);
}

}  // namespace
