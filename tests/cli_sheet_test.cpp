// lanterna-cli sheet: every slide and library member in a grid with its name, as PDF pages
// whose names are text, or as one PNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "output/contact_sheet.h"
#include "slide/library.h"
#include "tests/cli_runner.h"
#include "tests/png_reader.h"
#include "tests/test_support.h"

namespace {

using fixtures::Cli;
using fixtures::Quote;

bool HavePdftotext() {
  return std::system("command -v pdftotext >/dev/null 2>&1") == 0;
}

// The PDF's text, pages separated by form feeds.
std::string PdfText(const std::string& pdf) {
  std::string text;
  std::FILE* pipe = ::popen(("pdftotext " + Quote(pdf) + " - 2>/dev/null").c_str(), "r");
  if (!pipe) return text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  ::pclose(pipe);
  return text;
}

TEST(CliSheet, PdfPagesNameEveryMemberAndPngHoldsTheGrid) {
  fixtures::TempDir dir;
  std::vector<fixtures::Member> members;
  for (int i = 0; i < 7; ++i)
    members.push_back({"SYM" + std::to_string(i),
                       fixtures::SlideWriter(60, 40).Colour(i + 1).Vector(0, 0, 59, 39).Build()});
  const std::string lib = dir.Write("symbols.slb", fixtures::LibraryBytes(members));
  const std::string single =
      dir.Write("single.sld", fixtures::SlideWriter(60, 40).Vector(0, 39, 59, 0).Build());
  const std::string inputs = Quote(lib) + " " + Quote(single);

  // Two columns of a small cell: more rows than one page holds.
  lanterna::SheetLayout layout;
  layout.columns = 2;
  layout.cellWidth = 100, layout.cellHeight = 200;
  const int perPage = lanterna::RowsPerPage(layout) * layout.columns;
  ASSERT_LT(perPage, 8);
  const std::string pdf = dir.File("sheet.pdf");
  ASSERT_EQ(Cli("sheet " + inputs + " -o " + Quote(pdf) + " --columns 2 --cell 100x200").exit, 0);
  if (HavePdftotext()) {
    const std::string text = PdfText(pdf);
    for (const auto& m : members) EXPECT_NE(text.find(m.name), std::string::npos) << m.name;
    EXPECT_NE(text.find("single.sld"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), (8 + perPage - 1) / perPage);
  }

  const std::string png = dir.File("sheet.png");
  ASSERT_EQ(Cli("sheet " + inputs + " -o " + Quote(png) + " --columns 3 --cell 80x60").exit, 0);
  const fixtures::DecodedPng image = fixtures::ReadPng(png);
  EXPECT_EQ(image.width, 3 * (80 + lanterna::kSheetGap) + lanterna::kSheetGap);
  EXPECT_EQ(image.height,
            3 * (60 + lanterna::kSheetLabelHeight + lanterna::kSheetGap) + lanterna::kSheetGap);

  fixtures::CliRun missing =
      Cli("sheet " + Quote(lib + ",NONE") + " " + Quote(single) + " -o " + Quote(png));
  EXPECT_EQ(missing.exit, 1) << missing.output;
  EXPECT_NE(missing.output.find("NONE"), std::string::npos);
}

TEST(CliSheet, CorpusSheetListsEveryMemberName) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(LANTERNA_CORPUS_DIR, ec)) GTEST_SKIP() << "no corpus here";
  if (!HavePdftotext()) GTEST_SKIP() << "no pdftotext (poppler-utils)";
  fixtures::TempDir dir;
  std::string inputs;
  std::vector<std::string> names;
  for (auto& entry : fs::directory_iterator(LANTERNA_CORPUS_DIR)) {
    const std::string path = entry.path().string();
    if (entry.path().extension() == ".md") continue;
    inputs += " " + Quote(path);
    char name[64];
    if (entry.path().extension() == ".slb")
      while (lanterna::MemberIterator(path.c_str(), name)) names.push_back(name);
  }
  ASSERT_FALSE(names.empty());
  const std::string pdf = dir.File("corpus.pdf");
  fixtures::CliRun r = Cli("sheet" + inputs + " -o " + Quote(pdf));
  EXPECT_EQ(r.exit, 0) << r.output;
  const std::string text = PdfText(pdf);
  for (const std::string& n : names) EXPECT_NE(text.find(n), std::string::npos) << n;
}

}  // namespace
