// The text of the slide information report.
#include "slide/report.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

using namespace lanterna;
using fixtures::SlideWriter;

fixtures::Bytes SlideOfSize(size_t size) {
  SlideWriter s(640, 480);
  s.Aspect(0.75);
  fixtures::Bytes b = s.Build();
  while (b.size() + 8 <= size) {
    const fixtures::Bytes v = SlideWriter(1, 1).Vector(1, 2, 3, 4).Build();
    b.insert(b.end(), v.begin() + 31, v.end());
  }
  b.resize(size, 0);  // zero words decode as vectors from (0, 0) to (0, 0)
  return b;
}

TEST(SlideReportText, VectorSlideFileLineByLine) {
  fixtures::TempDir dir;
  const std::string path = dir.Write("plan.sld", SlideOfSize(12345));
  platform::HeadlessWindow owner(10, 10);
  fixtures::NameBuffer member;
  std::string text;
  ASSERT_TRUE(BuildSlideReport(&owner, path.c_str(), member.data(), nullptr, &text));
  EXPECT_EQ(text,
            "Actual colors in palette:\t0\n"
            "_______________________________________________\n"
            "File name:\t" +
                path +
                "\n"
                "- Slide size:\t\t12345\n"
                "File format:\t\tSlide\n"
                "\n"
                "File ID:\t\tAutoCAD Slide\n"
                "Machine:\t\t\t86\n"
                "File version:\t\t10\n"
                "XY Resolution:\t\t640; 480\n"
                "Prosp. rapp:\t\t0.75\n"
                "Hardware fill:\t\t0\n"
                "Endian byte alignement:\t1234\n");
}

TEST(SlideReportText, LibraryMemberOldFormAndPaletteDevice) {
  fixtures::TempDir dir;
  const fixtures::Bytes plan = SlideWriter(100, 50, 1).Aspect(1.3333).Build();
  const std::string lib = dir.Write("PLANS.SLB", fixtures::LibraryBytes({{"plan", plan}}));
  platform::HeadlessWindow owner(10, 10, gdi::DeviceCaps::Palette256());
  fixtures::NameBuffer member("plan");
  std::string text;
  SlideInfo info;
  ASSERT_TRUE(BuildSlideReport(&owner, lib.c_str(), member.data(), &info, &text));
  EXPECT_EQ(info.version, 9);
  EXPECT_NE(text.find("Actual colors in palette:\t256\n"), std::string::npos);
  EXPECT_NE(text.find("Slide name:\t\tPLAN\n"), std::string::npos);
  EXPECT_NE(text.find("- Slide size:\t\t" + std::to_string(plan.size()) + "\n"), std::string::npos);
  EXPECT_NE(text.find("File format:\t\tSlide in Library\n\n"), std::string::npos);
  EXPECT_NE(text.find("File version:\t\t9\n"), std::string::npos);
  EXPECT_NE(text.find("Prosp. rapp:\t\t1.3333\n"), std::string::npos);
  EXPECT_NE(text.find("Endian byte alignement:\t0\n"), std::string::npos);
}

TEST(SlideReportText, InfoBoxAndSilenceOnFailure) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const std::string lib = dir.Write("l.slb", fixtures::LibraryBytes({}));
  fixtures::NameBuffer member("none");
  SlideReport(nullptr, lib.c_str(), member.data(), nullptr);
  SlideReport(nullptr, dir.File("absent.sld").c_str(), member.data(), nullptr);
  EXPECT_TRUE(services.boxes.boxes.empty());

  const std::string path = dir.Write("a.sld", SlideWriter(10, 10).Build());
  fixtures::NameBuffer none;
  SlideReport(nullptr, path.c_str(), none.data(), nullptr);
  ASSERT_EQ(services.boxes.boxes.size(), 1u);
  EXPECT_EQ(services.boxes.boxes[0].title, "Info");
  EXPECT_EQ(services.boxes.boxes[0].style, 0u);
  EXPECT_EQ(services.boxes.boxes[0].text.rfind("Actual colors in palette:\t0\n", 0), 0u);
}

TEST(SlideReportText, GcvtIsFixedWhereItFitsElseExponential) {
  EXPECT_EQ(Gcvt(0.75, 5), "0.75");
  EXPECT_EQ(Gcvt(1.33329999, 5), "1.3333");
  EXPECT_EQ(Gcvt(0.3, 4), "0.3");
  EXPECT_EQ(Gcvt(12345.678, 4), "1.235e+04");
  EXPECT_EQ(Gcvt(0.00001234, 4), "1.234e-05");
  EXPECT_EQ(Gcvt(0, 4), "0");
}

}  // namespace
