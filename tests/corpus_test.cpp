// Slides and libraries written by CAD software: each one loads, draws something and lists.
#include <gtest/gtest.h>

#include <filesystem>

#include "output/render_job.h"
#include "slide/library.h"
#include "slide/slide_kind.h"
#include "tests/test_support.h"

namespace {

using namespace lanterna;
namespace fs = std::filesystem;

std::vector<std::string> CorpusFiles(int kind) {
  std::vector<std::string> files;
  std::error_code ec;
  if (!fs::is_directory(LANTERNA_CORPUS_DIR, ec)) return files;
  for (auto& entry : fs::directory_iterator(LANTERNA_CORPUS_DIR))
    if (SlideKindOf(entry.path().filename().string()) == kind)
      files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

double InkShare(const gdi::Bitmap& b) {
  size_t ink = 0;
  for (gdi::COLORREF p : b.pixels) ink += p != gdi::RGB(255, 255, 255);
  return static_cast<double>(ink) / static_cast<double>(b.pixels.size());
}

void ExpectDrawsSensibly(const std::string& path, const std::string& member) {
  fixtures::RecordedServices services;
  SlideExtent e = ReadSlideExtent(path, member);
  ASSERT_GE(e.result, 0) << path << "," << member;
  EXPECT_GT(e.width, 0);
  EXPECT_GT(e.height, 0);
  RenderRequest r;
  r.path = path, r.member = member, r.width = 400, r.height = 300;
  RenderResult out = RenderSlide(r);
  ASSERT_GE(out.result, 0) << path;
  ASSERT_TRUE(out.bitmap);
  const double ink = InkShare(*out.bitmap);
  EXPECT_GT(ink, 0.0005) << path << "," << member;  // something is drawn
  EXPECT_LT(ink, 0.9) << path << "," << member;     // and it is not a solid block
  EXPECT_EQ(fixtures::BoxTexts(services.boxes), "") << path << "," << member;
}

TEST(Corpus, EverySlideDraws) {
  const auto files = CorpusFiles(kKindSlide);
  if (files.empty()) GTEST_SKIP() << "no corpus here";
  for (const std::string& f : files) ExpectDrawsSensibly(f, "");
}

TEST(Corpus, EveryLibraryListsAndEveryMemberDraws) {
  const auto files = CorpusFiles(kKindLibrary);
  if (files.empty()) GTEST_SKIP() << "no corpus here";
  for (const std::string& f : files) {
    std::vector<std::string> names;
    char name[64];
    while (MemberIterator(f.c_str(), name)) names.push_back(name);
    EXPECT_FALSE(names.empty()) << f;
    for (const std::string& n : names) ExpectDrawsSensibly(f, n);
  }
}

}  // namespace
