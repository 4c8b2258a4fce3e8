#include "render/acacol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "platform/exten.h"

namespace lanterna {
namespace {

struct Bytes {
  int r, g, b;
  bool operator==(const Bytes&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Bytes& b) {
  return out << b.r << "," << b.g << "," << b.b;
}

struct Row {
  int index;
  Bytes bytes;
};

// Truncated scaled components, the way pens and palette entries see them.
Bytes ScaledBytes(int index) {
  float rgb[3];
  AciToRgb(index, rgb, 1);
  return {static_cast<int>(rgb[0]), static_cast<int>(rgb[1]), static_cast<int>(rgb[2])};
}

// Records boxes for the duration of a test and leaves the module's shared state clean.
class AcacolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageBoxService(&boxes_);
    PaletteInUse() = 0;
    DestroyAppPalette();
  }
  void TearDown() override {
    DestroyAppPalette();
    PaletteInUse() = 0;
    platform::SetMessageBoxService(nullptr);
  }
  void ExpectBox(size_t i, const char* text) {
    ASSERT_LT(i, boxes_.boxes.size());
    EXPECT_EQ(boxes_.boxes[i].owner, nullptr);
    EXPECT_EQ(boxes_.boxes[i].text, text);
    EXPECT_EQ(boxes_.boxes[i].title, "Error in acacol");
    EXPECT_EQ(boxes_.boxes[i].style, 0u);
  }
  platform::RecordingMessageBoxes boxes_;
};

// ---- AciToRgb ------------------------------------------------------------------------------

using AcacolAciToRgb = AcacolTest;

TEST_F(AcacolAciToRgb, MatchesTheByteTable) {
  const Row rows[] = {
      {0, {0, 0, 0}},         {1, {255, 0, 0}},       {2, {255, 255, 0}},
      {3, {0, 255, 0}},       {4, {0, 255, 255}},     {5, {0, 0, 255}},
      {6, {255, 0, 255}},     {7, {0, 0, 0}},         {8, {128, 128, 128}},
      {9, {192, 192, 192}},   {10, {255, 0, 0}},      {11, {255, 127, 127}},
      {12, {165, 0, 0}},      {13, {165, 82, 82}},    {14, {127, 0, 0}},
      {15, {127, 63, 63}},    {16, {76, 0, 0}},       {17, {76, 38, 38}},
      {18, {38, 0, 0}},       {19, {38, 19, 19}},     {20, {255, 63, 0}},
      {21, {255, 159, 127}},  {30, {255, 127, 0}},    {31, {255, 191, 127}},
      {33, {165, 124, 82}},   {50, {255, 255, 0}},    {100, {0, 255, 63}},
      {101, {127, 255, 159}}, {249, {38, 19, 23}},    {250, {84, 84, 84}},
      {251, {118, 118, 118}}, {252, {152, 152, 152}}, {253, {186, 186, 186}},
      {254, {220, 220, 220}}, {255, {255, 255, 255}},
  };
  for (const Row& row : rows) EXPECT_EQ(ScaledBytes(row.index), row.bytes) << "index " << row.index;
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(AcacolAciToRgb, HuesAroundTheWheel) {
  // One shade in each of the six sectors, partway through where the sector has one.
  const Row rows[] = {
      {70, {127, 255, 0}},    {90, {0, 255, 0}},    {130, {0, 255, 255}}, {140, {0, 191, 255}},
      {141, {127, 223, 255}}, {150, {0, 127, 255}}, {170, {0, 0, 255}},   {180, {63, 0, 255}},
      {210, {255, 0, 255}},   {230, {255, 0, 127}}, {232, {165, 0, 82}},
  };
  for (const Row& row : rows) EXPECT_EQ(ScaledBytes(row.index), row.bytes) << "index " << row.index;
}

TEST_F(AcacolAciToRgb, UnscaledFixedColoursAreExactFractions) {
  float rgb[3];
  AciToRgb(8, rgb, 0);
  for (float c : rgb) EXPECT_EQ(c, 128.0f / 255.0f);
  AciToRgb(9, rgb, 0);
  for (float c : rgb) EXPECT_EQ(c, 192.0f / 255.0f);
  AciToRgb(255, rgb, 0);
  for (float c : rgb) EXPECT_EQ(c, 1.0f);
}

TEST_F(AcacolAciToRgb, IndexAboveTheWheelButInRangeIsGreyWithoutABox) {
  float rgb[3];
  AciToRgb(256, rgb, 1);
  // 6 * 0.134 + 0.33 = 1.134, beyond white.
  for (float c : rgb) EXPECT_EQ(static_cast<int>(c), 289);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(AcacolAciToRgb, OutOfRangeIndexShowsABoxAndFallsOnTheGreyRamp) {
  float rgb[3];
  AciToRgb(257, rgb, 0);
  ExpectBox(0, "HSV Out of Range");
  for (float c : rgb) EXPECT_NEAR(c, 7 * 0.134f + 0.33f, 1e-5f);

  AciToRgb(-1, rgb, 0);
  ExpectBox(1, "HSV Out of Range");
  for (float c : rgb) EXPECT_NEAR(c, -251 * 0.134f + 0.33f, 1e-4f);
}

TEST_F(AcacolAciToRgb, ExtremeIndicesStillConvert) {
  float rgb[3];
  AciToRgb(INT32_MIN, rgb, 1);
  EXPECT_LT(rgb[0], 0.0f);
  AciToRgb(INT32_MAX, rgb, 1);
  EXPECT_GT(rgb[0], 0.0f);
  EXPECT_EQ(boxes_.boxes.size(), 2u);
}

// ---- AciColorRef ---------------------------------------------------------------------------

using AcacolColorRef = AcacolTest;

TEST_F(AcacolColorRef, PacksRedGreenBlueLowToHigh) {
  EXPECT_EQ(AciColorRef(1), 0x0000FFu);
  EXPECT_EQ(AciColorRef(3), 0x00FF00u);
  EXPECT_EQ(AciColorRef(5), 0xFF0000u);
  EXPECT_EQ(AciColorRef(7), 0x000000u);
  EXPECT_EQ(AciColorRef(33), gdi::RGB(165, 124, 82));
  EXPECT_EQ(AciColorRef(249), gdi::RGB(38, 19, 23));
  EXPECT_EQ(AciColorRef(255), 0xFFFFFFu);
}

TEST_F(AcacolColorRef, AgreesWithTheScaledBytesForEveryIndex) {
  for (int index = 0; index <= 255; ++index) {
    Bytes b = ScaledBytes(index);
    EXPECT_EQ(AciColorRef(index), gdi::RGB(b.r, b.g, b.b)) << "index " << index;
  }
}

TEST_F(AcacolColorRef, PaletteRelativeWhileThePaletteIsInUse) {
  PaletteInUse() = 1;
  EXPECT_EQ(AciColorRef(1), 0x020000FFu);
  EXPECT_EQ(AciColorRef(0), 0x02000000u);
  EXPECT_EQ(AciColorRef(250), gdi::PALETTERGB(84, 84, 84));
  PaletteInUse() = 0;
  EXPECT_EQ(AciColorRef(1), 0x0000FFu);
}

TEST_F(AcacolColorRef, ComponentsOutsideAByteKeepTheirLowBits) {
  // 256 scales to 289.17: 289 & 0xFF is 0x21.
  EXPECT_EQ(AciColorRef(256), 0x212121u);
  // -1 scales to -8492.52: -8492 & 0xFF is 0xD4.
  EXPECT_EQ(AciColorRef(-1), 0xD4D4D4u);
  EXPECT_EQ(boxes_.boxes.size(), 1u);
}

// ---- RgbToNearestAci -----------------------------------------------------------------------

using AcacolNearest = AcacolTest;

TEST_F(AcacolNearest, KnownColours) {
  EXPECT_EQ(RgbToNearestAci(255, 0, 0), 1);  // not 10, which has the same colour
  EXPECT_EQ(RgbToNearestAci(255, 255, 0), 2);
  EXPECT_EQ(RgbToNearestAci(0, 0, 255), 5);
  EXPECT_EQ(RgbToNearestAci(255, 255, 255), 7);
  EXPECT_EQ(RgbToNearestAci(0, 0, 0), 250);
  EXPECT_EQ(RgbToNearestAci(128, 128, 128), 251);
  EXPECT_EQ(RgbToNearestAci(255, 63, 0), 20);
  EXPECT_EQ(RgbToNearestAci(165, 0, 0), 12);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(AcacolNearest, NearBlackAndNearWhiteColoursAreSeven) {
  EXPECT_EQ(RgbToNearestAci(0, 0, 1), 7);  // black 7, not 0
  EXPECT_EQ(RgbToNearestAci(1, 0, 0), 7);
  EXPECT_EQ(RgbToNearestAci(255, 255, 254), 7);  // white 255, reported as 7
}

TEST_F(AcacolNearest, GreysMapOnlyToTheGreyRampOrWhite) {
  for (int v = 0; v <= 255; ++v) {
    float f = static_cast<float>(v);
    int index = RgbToNearestAci(f, f, f);
    EXPECT_TRUE((index >= 250 && index <= 254) || index == 7) << "grey " << v << " -> " << index;
    // White wins once the grey is past the midpoint of 0.866 and 1.
    EXPECT_EQ(index == 7, v >= 238) << "grey " << v;
  }
}

TEST_F(AcacolNearest, ColoursNeverMapToZeroOrWhite) {
  for (int r = 0; r <= 255; r += 15) {
    for (int g = 0; g <= 255; g += 15) {
      for (int b = 0; b <= 255; b += 15) {
        if (r == g && g == b) continue;
        int index = RgbToNearestAci(r, g, b);
        EXPECT_GE(index, 1) << r << "," << g << "," << b;
        EXPECT_LE(index, 254) << r << "," << g << "," << b;
      }
    }
  }
}

TEST_F(AcacolNearest, ResultIsAtLeastAsCloseAsEveryCandidate) {
  const Bytes samples[] = {{10, 200, 30}, {90, 60, 200}, {250, 128, 5}, {3, 3, 4}, {77, 0, 140}};
  for (const Bytes& s : samples) {
    const float want[3] = {s.r / 255.0f, s.g / 255.0f, s.b / 255.0f};
    auto distance = [&](int index) {
      float rgb[3];
      AciToRgb(index, rgb, 0);
      float d = 0;
      for (int c = 0; c < 3; ++c) d += (rgb[c] - want[c]) * (rgb[c] - want[c]);
      return d;
    };
    int found = RgbToNearestAci(s.r, s.g, s.b);
    // 7 stands for both black and white.
    float got = found == 7 ? std::min(distance(7), distance(255)) : distance(found);
    for (int index = 1; index <= 255; ++index)
      EXPECT_LE(got, distance(index) + 1e-6f) << s.r << "," << s.g << "," << s.b << " vs " << index;
  }
}

TEST_F(AcacolNearest, WheelColoursRoundTripToAnIndexOfTheSameColour) {
  for (int index = 10; index <= 249; ++index) {
    float rgb[3];
    AciToRgb(index, rgb, 1);
    int found = RgbToNearestAci(rgb[0], rgb[1], rgb[2]);
    EXPECT_EQ(ScaledBytes(found), ScaledBytes(index)) << index << " -> " << found;
    EXPECT_LE(found, index) << "the first of equal colours wins";
  }
}

TEST_F(AcacolNearest, OutOfRangeComponentsShowABoxAndStillConvert) {
  EXPECT_EQ(RgbToNearestAci(300, 0, 0), 1);
  ExpectBox(0, "rgb Out of Range");
  EXPECT_EQ(RgbToNearestAci(-1, -1, -1), 250);
  EXPECT_EQ(RgbToNearestAci(0, 0, -0.5f), 7);
  ExpectBox(2, "rgb Out of Range");
  EXPECT_EQ(boxes_.boxes.size(), 3u);
}

// ---- the application palette --------------------------------------------------------------

class AcacolAppPalette : public AcacolTest {
 protected:
  std::unique_ptr<gdi::DeviceContext> MakeDC(gdi::DeviceCaps caps) {
    auto bitmap = std::make_unique<gdi::Bitmap>();
    bitmap->width = 4;
    bitmap->height = 4;
    bitmap->bitsPixel = caps.bitsPixel;
    bitmap->pixels.assign(16, 0xFFFFFF);
    auto dc = gdi::CreateRasterDC(bitmap.get(), caps);
    bitmaps_.push_back(std::move(bitmap));
    return dc;
  }
  std::vector<std::unique_ptr<gdi::Bitmap>> bitmaps_;
};

TEST_F(AcacolAppPalette, NoneOnATrueColourDevice) {
  auto dc = MakeDC(gdi::DeviceCaps::TrueColour());
  CreateAppPalette(dc.get());
  EXPECT_EQ(AppPalette(), nullptr);
  EXPECT_EQ(AppPaletteDescription(), nullptr);
}

TEST_F(AcacolAppPalette, HoldsTheFirst236Colours) {
  auto dc = MakeDC(gdi::DeviceCaps::Palette256());
  CreateAppPalette(dc.get());
  ASSERT_NE(AppPalette(), nullptr);
  const gdi::LOGPALETTE* lp = AppPaletteDescription();
  ASSERT_NE(lp, nullptr);
  EXPECT_EQ(lp->palVersion, 0x300);
  ASSERT_EQ(lp->palNumEntries, 236);
  for (int i = 0; i < 236; ++i) {
    const gdi::PALETTEENTRY& e = lp->palPalEntry[i];
    EXPECT_EQ((Bytes{e.peRed, e.peGreen, e.peBlue}), ScaledBytes(i)) << "entry " << i;
    EXPECT_EQ(e.peFlags, gdi::PC_RESERVED) << "entry " << i;
  }
  EXPECT_EQ(lp->palPalEntry[33].peGreen, 124);
  ASSERT_EQ(AppPalette()->entries.size(), 236u);
  EXPECT_EQ(AppPalette()->entries[1].peRed, 255);
}

TEST_F(AcacolAppPalette, MadeOnlyOnce) {
  auto dc = MakeDC(gdi::DeviceCaps::Palette256());
  CreateAppPalette(dc.get());
  gdi::HPALETTE first = AppPalette();
  const gdi::LOGPALETTE* firstDescription = AppPaletteDescription();
  CreateAppPalette(dc.get());
  EXPECT_EQ(AppPalette(), first);
  EXPECT_EQ(AppPaletteDescription(), firstDescription);
}

TEST_F(AcacolAppPalette, DestroyClearsAndCanBeRepeated) {
  auto dc = MakeDC(gdi::DeviceCaps::Palette256());
  DestroyAppPalette();  // none yet
  CreateAppPalette(dc.get());
  ASSERT_NE(AppPalette(), nullptr);
  DestroyAppPalette();
  EXPECT_EQ(AppPalette(), nullptr);
  EXPECT_EQ(AppPaletteDescription(), nullptr);
  DestroyAppPalette();
  CreateAppPalette(dc.get());
  EXPECT_NE(AppPalette(), nullptr);
  EXPECT_NE(AppPaletteDescription(), nullptr);
}

TEST_F(AcacolAppPalette, SelectOnATrueColourDeviceLeavesEverythingAlone) {
  auto dc = MakeDC(gdi::DeviceCaps::TrueColour());
  auto second = MakeDC(gdi::DeviceCaps::TrueColour());
  gdi::HPALETTE before = dc->CurrentPalette();
  gdi::HPALETTE secondBefore = second->CurrentPalette();
  int inUse = 0;
  SlidePalette slide;
  SelectAppPalette(dc.get(), inUse, &slide, second.get());
  EXPECT_EQ(inUse, 0);
  EXPECT_EQ(slide.palette, nullptr);
  EXPECT_EQ(dc->CurrentPalette(), before);
  EXPECT_EQ(second->CurrentPalette(), secondBefore);
}

TEST_F(AcacolAppPalette, SelectOnAPaletteDeviceSetsTheFlagAndSharesThePalette) {
  auto dc = MakeDC(gdi::DeviceCaps::Palette256());
  auto second = MakeDC(gdi::DeviceCaps::Palette256());
  CreateAppPalette(dc.get());
  ASSERT_NE(AppPalette(), nullptr);
  SlidePalette slide;
  SelectAppPalette(dc.get(), PaletteInUse(), &slide, second.get());
  EXPECT_EQ(PaletteInUse(), 1);
  EXPECT_EQ(slide.palette, AppPalette());
  EXPECT_EQ(slide.logPalette, nullptr);
  EXPECT_EQ(dc->CurrentPalette(), AppPalette());
  EXPECT_EQ(second->CurrentPalette(), AppPalette());
  // Colour references now go through the palette.
  EXPECT_EQ(AciColorRef(1), gdi::PALETTERGB(255, 0, 0));
}

TEST_F(AcacolAppPalette, FlagAlreadySetSelectsEvenOnATrueColourDevice) {
  auto palettised = MakeDC(gdi::DeviceCaps::Palette256());
  CreateAppPalette(palettised.get());
  auto dc = MakeDC(gdi::DeviceCaps::TrueColour());
  int inUse = 1;
  SlidePalette slide;
  SelectAppPalette(dc.get(), inUse, &slide, nullptr);
  EXPECT_EQ(inUse, 1);
  EXPECT_EQ(slide.palette, AppPalette());
}

}  // namespace
}  // namespace lanterna
