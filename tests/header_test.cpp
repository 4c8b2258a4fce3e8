// Both forms of the slide header and the byte orders.
#include <gtest/gtest.h>

#include "slide/slide_header.h"
#include "tests/slide_writer.h"

namespace {

using namespace lanterna;
using fixtures::SlideWriter;

TEST(SlideHeaderForms, NewFormFieldsAndVersionCodes) {
  const fixtures::Bytes b = SlideWriter(640, 480).Aspect(0.75).HardwareFill(2).Build();
  const SlideHeader h = ParseSlideHeader(b.data(), static_cast<uint32_t>(b.size()));
  EXPECT_EQ(std::string(h.id, 13), "AutoCAD Slide");
  EXPECT_EQ(h.machine, 0x56);
  EXPECT_EQ(h.versionCode, 10);
  EXPECT_EQ(h.width, 640);
  EXPECT_EQ(h.height, 480);
  EXPECT_FLOAT_EQ(h.aspectRatio, 0.75f);
  EXPECT_EQ(h.hardwareFill, 2);
  EXPECT_EQ(h.testWord, 0x1234);
  EXPECT_EQ(h.length, 31u);
  EXPECT_FALSE(h.bigEndian);

  for (int level : {0, 3}) {
    const fixtures::Bytes o = SlideWriter(10, 10, level).Build();
    const SlideHeader x = ParseSlideHeader(o.data(), static_cast<uint32_t>(o.size()));
    EXPECT_EQ(x.versionCode, 14);
    EXPECT_EQ(x.length, 31u);
  }
}

TEST(SlideHeaderForms, OldFormHasADoubleAspectAndNoTestWord) {
  const fixtures::Bytes b = SlideWriter(1000, 700, 1).Aspect(1.3333).HardwareFill(2).Build();
  ASSERT_EQ(b.size(), 34u);
  const SlideHeader h = ParseSlideHeader(b.data(), static_cast<uint32_t>(b.size()));
  EXPECT_EQ(h.versionCode, 9);
  EXPECT_EQ(h.width, 1000);
  EXPECT_EQ(h.height, 700);
  EXPECT_FLOAT_EQ(h.aspectRatio, 1.3333f);
  EXPECT_EQ(h.hardwareFill, 2);
  EXPECT_EQ(h.testWord, 0);
  EXPECT_EQ(h.length, 34u);
}

TEST(SlideHeaderForms, BigEndianSlideIsDecodedInItsOwnOrder) {
  const fixtures::Bytes b = SlideWriter(640, 480, 2, true).Aspect(0.75).Build();
  EXPECT_EQ(b[29], 0x12);
  EXPECT_EQ(b[30], 0x34);
  const SlideHeader h = ParseSlideHeader(b.data(), static_cast<uint32_t>(b.size()));
  EXPECT_TRUE(h.bigEndian);
  EXPECT_EQ(h.testWord, 0x3412);  // reported as read
  EXPECT_EQ(h.width, 640);
  EXPECT_EQ(h.height, 480);
  EXPECT_FLOAT_EQ(h.aspectRatio, 0.75f);  // the aspect ratio stays least-significant first
}

TEST(SlideHeaderForms, ShortDataReadsAsZeros) {
  const fixtures::Bytes b = SlideWriter(640, 480).Build();
  const SlideHeader h = ParseSlideHeader(b.data(), 20);
  EXPECT_EQ(h.width, 640 & 0xFF);  // only the low byte of the width is present
  EXPECT_EQ(h.height, 0);
  const SlideHeader none = ParseSlideHeader(nullptr, 0);
  EXPECT_EQ(none.width, 0);
}

}  // namespace
