// lanterna-cli thumbnail: sizes with the aspect kept, the library mosaic, exit codes.
#include <gtest/gtest.h>
#include <png.h>

#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

using fixtures::Cli;
using fixtures::Quote;
using fixtures::SlideWriter;

// A slide filled all over, so that where it lands shows in the thumbnail.
fixtures::Bytes Filled(uint16_t width, uint16_t height) {
  const int w = width - 1, h = height - 1;
  return SlideWriter(width, height)
      .Colour(1)
      .Fill({{0, 0}, {w, 0}, {w, h}, {0, h}})
      .EndOfFile()
      .Build();
}

struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  bool White(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
  }
};

Image ReadPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Image out;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
  image.format = PNG_FORMAT_RGB;
  out.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) return out;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  return out;
}

class CliThumbnail : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("wide.sld", Filled(200, 100));
    dir.Write("tall.SLD", Filled(100, 200));
    dir.Write("two.slb",
              fixtures::LibraryBytes({{"WIDE", Filled(200, 100)}, {"TALL", Filled(100, 200)}}));
  }
  fixtures::TempDir dir;
};

TEST_F(CliThumbnail, LongerSideIsTheSizeAndTheAspectIsKept) {
  struct Case {
    const char* input;
    const char* size;
    int width, height;
  } cases[] = {{"wide.sld", "64", 64, 32},
               {"tall.SLD", "64", 32, 64},
               {"two.slb,TALL", "100", 50, 100},
               {"two.slb", "64", 64, 64}};
  for (const Case& c : cases) {
    const auto run = Cli("thumbnail " + Quote(dir.File(c.input)) + " " + Quote(dir.File("t.png")) +
                         " --size " + c.size);
    EXPECT_EQ(run.exit, 0) << c.input << run.output;
    const Image png = ReadPng(dir.File("t.png"));
    EXPECT_EQ(png.width, c.width) << c.input;
    EXPECT_EQ(png.height, c.height) << c.input;
  }
}

TEST_F(CliThumbnail, LibraryMembersFillTheMosaicInOrder) {
  ASSERT_EQ(
      Cli("thumbnail " + Quote(dir.File("two.slb")) + " " + Quote(dir.File("m.png")) + " --size 64")
          .exit,
      0);
  const Image png = ReadPng(dir.File("m.png"));
  ASSERT_EQ(png.width, 64);
  EXPECT_FALSE(png.White(16, 16));  // the wide member, top left
  EXPECT_TRUE(png.White(16, 2));    // above it: the wide member is centred in its quarter
  EXPECT_FALSE(png.White(48, 2));   // the tall member, top right, full height
  EXPECT_TRUE(png.White(16, 48));   // no third or fourth member
  EXPECT_TRUE(png.White(48, 48));
}

TEST_F(CliThumbnail, ExitCodes) {
  const std::string out = " " + Quote(dir.File("x.png"));
  struct Case {
    std::string args;
    int exit;
  } cases[] = {{Quote(dir.File("missing.sld")) + out, 1},
               {Quote(dir.File("two.slb,NONE")) + out, 1},
               {Quote(dir.File("wide.sld")) + " " + Quote(dir.File("no/dir/x.png")), 1},
               {Quote(dir.File("wide.sld")) + out + " --size 7", 2},
               {Quote(dir.File("wide.sld")) + " " + Quote(dir.File("x.jpg")), 2},
               {Quote(dir.File("wide.sld")), 2}};
  for (const Case& c : cases) EXPECT_EQ(Cli("thumbnail " + c.args).exit, c.exit) << c.args;
}

}  // namespace
