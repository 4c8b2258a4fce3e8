// The loader's modes, results and boxes.
#include <gtest/gtest.h>

#include "render/dxf_writer.h"
#include "slide/kept_slide.h"
#include "slide/slide_fit.h"
#include "slide/slide_header.h"
#include "slide/slide_kind.h"
#include "tests/test_support.h"

namespace {

using namespace lanterna;
using fixtures::NameBuffer;
using fixtures::SlideWriter;

int32_t Call(const std::string& path, uint32_t mode, SlideInfo* info = nullptr,
             const std::string& member = "", gdi::RECT* rect = nullptr, ViewState* view = nullptr,
             platform::HWND owner = nullptr) {
  NameBuffer name(member);
  return ShowIcon(owner, path.c_str(), name.data(), mode, nullptr, nullptr, rect, nullptr, view,
                  nullptr, info);
}

TEST(LoaderKind, ChosenBySubstringOfUpperCasedPathLastMatchWins) {
  EXPECT_EQ(SlideKindOf("C:/DRAW/PLAN.SLD"), kKindSlide);
  EXPECT_EQ(SlideKindOf("C:/DRAW.SLB/PLAN.RND"), kKindRendering);
  EXPECT_EQ(SlideKindOf("plan.sld"), kKindSlide);
  EXPECT_EQ(SlideKindOf("lib.Slb"), kKindLibrary);
  EXPECT_EQ(SlideKindOf("x.sld.txt"), kKindSlide);  // the extension need not end the path
  EXPECT_EQ(SlideKindOf("picture.png"), kKindNone);
}

TEST(LoaderResults, EmptyPathMissingFileAndUnknownKind) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  EXPECT_EQ(Call("", SI_SIZE_ONLY), kEmptyPath);
  EXPECT_EQ(Call(dir.File("absent.sld"), SI_SIZE_ONLY), kCannotOpen);
  const std::string other = dir.Write("slide.png", SlideWriter(10, 10).Build());
  EXPECT_EQ(Call(other, SI_DIRECT), kCannotOpen);
  EXPECT_TRUE(services.boxes.boxes.empty());
  EXPECT_EQ(LoaderBusy(), 0);
}

TEST(LoaderResults, SizeOnlyReturnsFileSizeAndHeaderOnlyFillsInfo) {
  fixtures::TempDir dir;
  SlideWriter s(640, 480);
  s.Aspect(0.75);
  for (int i = 0; i < 100; ++i) s.Vector(i, i, i + 10, i);
  const fixtures::Bytes bytes = s.Build();
  const std::string path = dir.Write("plan.sld", bytes);
  EXPECT_EQ(Call(path, SI_SIZE_ONLY), static_cast<int32_t>(bytes.size()));

  SlideInfo info;
  EXPECT_EQ(Call(path, SI_DIRECT | SI_HEADER_ONLY, &info), static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(info.kind, kKindSlide);
  EXPECT_EQ(std::string(info.id, 13), "AutoCAD Slide");
  EXPECT_EQ(info.machine, 0x56);
  EXPECT_EQ(info.version, 10);
  EXPECT_EQ(info.width, 640);
  EXPECT_EQ(info.height, 480);
  EXPECT_FLOAT_EQ(info.aspectRatio, 0.75f);
  EXPECT_EQ(info.testWord, 0x1234);

  SlideInfo fromMemory;
  EXPECT_EQ(
      ShowIconData(nullptr, kKindSlide, bytes.data(), static_cast<uint32_t>(bytes.size()),
                   SI_DIRECT | SI_HEADER_ONLY, nullptr, nullptr, nullptr, nullptr, &fromMemory),
      static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(fromMemory.width, 640);
  EXPECT_EQ(LoaderBusy(), 0);
}

TEST(LoaderResults, GivenRectangleReturnsSlideHeightAndWidth) {
  fixtures::TempDir dir;
  const std::string path = dir.Write("a.sld", SlideWriter(600, 200).Build());
  gdi::RECT rect{0, 0, 100, 100};
  Call(path, SI_DIRECT | SI_HEADER_ONLY, nullptr, "", &rect);
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.top, 600);
  EXPECT_EQ(rect.right, 100);
  EXPECT_EQ(rect.bottom, 100);
}

TEST(LoaderResults, CopyRawWritesTheMemberUnchanged) {
  fixtures::TempDir dir;
  const fixtures::Bytes a = SlideWriter(10, 10).Vector(1, 2, 3, 4).EndOfFile().Build();
  const fixtures::Bytes b = SlideWriter(20, 20).Colour(3).EndOfFile().Build();
  const std::string lib = dir.Write("two.slb", fixtures::LibraryBytes({{"A", a}, {"B", b}}));
  const std::string out = dir.File("copy.bin");
  std::FILE* f = std::fopen(out.c_str(), "wb");
  NameBuffer name("b");
  EXPECT_EQ(ShowIcon(nullptr, lib.c_str(), name.data(), SI_COPY_RAW, nullptr, nullptr, nullptr, f,
                     nullptr, nullptr, nullptr),
            0);
  std::fclose(f);
  EXPECT_EQ(fixtures::ReadFile(out), b);
  EXPECT_EQ(name.str(), "B");  // the caller's buffer is upper-cased in place
}

TEST(LoaderResults, MemberLookupIgnoresCaseAndTrailingBlanks) {
  fixtures::TempDir dir;
  const fixtures::Bytes plan = SlideWriter(50, 50).Vector(0, 0, 5, 5).Build();
  const std::string lib = dir.Write("plans.slb", fixtures::LibraryBytes({{"plan   ", plan}}));
  EXPECT_EQ(Call(lib, SI_SIZE_ONLY, nullptr, "Plan"), static_cast<int32_t>(plan.size()));
  EXPECT_EQ(Call(lib, SI_SIZE_ONLY, nullptr, "PLAN"), static_cast<int32_t>(plan.size()));
  EXPECT_EQ(Call(lib, SI_SIZE_ONLY, nullptr, "PLAN "), kNotFound);  // the request is not trimmed
  EXPECT_EQ(Call(lib, SI_SIZE_ONLY, nullptr, ""), kNotFound);
  EXPECT_EQ(Call(lib, SI_SIZE_ONLY, nullptr, "other"), kNotFound);
}

TEST(LoaderResults, MemberLengthsStayWithinTheFile) {
  fixtures::TempDir dir;
  const fixtures::Bytes m = SlideWriter(50, 50).Vector(0, 0, 5, 5).Build();
  fixtures::Bytes lib = fixtures::LibraryBytes({{"A", m}, {"B", m}});
  // B's offset points far past the end; A's length would then run beyond the file.
  const uint32_t huge = 0x7FFFFFF0;
  for (int i = 0; i < 4; ++i) lib[32 + 36 + 32 + i] = static_cast<uint8_t>(huge >> (8 * i));
  const std::string path = dir.Write("bad.slb", lib);
  const int32_t sizeA = Call(path, SI_SIZE_ONLY, nullptr, "A");
  EXPECT_GE(sizeA, 0);
  EXPECT_LE(static_cast<size_t>(sizeA), lib.size());
  EXPECT_EQ(Call(path, SI_SIZE_ONLY, nullptr, "B"), kNotFound);  // outside the file

  // A directory that runs into the end of the file, without a terminating entry.
  fixtures::Bytes cut = fixtures::LibraryBytes({{"A", m}}, false);
  cut.resize(32 + 36 + 10);
  const std::string cutPath = dir.Write("cut.slb", cut);
  fixtures::RecordedServices services;
  const int32_t r = Call(cutPath, SI_DIRECT, nullptr, "A");
  EXPECT_TRUE(r < 0 || static_cast<size_t>(r) <= cut.size());
}

TEST(LoaderResults, EmptyLibraryFindsNothing) {
  fixtures::TempDir dir;
  const std::string lib = dir.Write("empty.slb", fixtures::LibraryBytes({}));
  EXPECT_EQ(Call(lib, SI_SIZE_ONLY, nullptr, "A"), kNotFound);
  EXPECT_EQ(Call(lib, SI_SIZE_ONLY, nullptr, ""), kNotFound);
}

TEST(LoaderResults, LibraryMemberOfFivehundredBytesRunsToTheEndOfTheFile) {
  fixtures::TempDir dir;
  fixtures::Bytes m = SlideWriter(50, 50).Build();
  m.resize(500, 0);
  const fixtures::Bytes lib = fixtures::LibraryBytes({{"ONE", m}});
  ASSERT_EQ(lib.size(), 604u);
  const std::string path = dir.Write("one.slb", lib);
  EXPECT_EQ(Call(path, SI_SIZE_ONLY, nullptr, "one"), 500);
}

TEST(LoaderResults, RenderingMemberWithoutItsSignatureAndRenderingFileWithout) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const std::string rnd = dir.Write("shade.rnd", SlideWriter(10, 10).Build());
  EXPECT_EQ(Call(rnd, SI_DIRECT), kNotRendering);
  ASSERT_EQ(services.boxes.boxes.size(), 1u);
  EXPECT_EQ(services.boxes.boxes[0].text, "Not a rendering file, or old incompatible format.");
  EXPECT_EQ(services.boxes.boxes[0].title, "Error");
  EXPECT_EQ(services.boxes.boxes[0].style, 0u);

  // A library member that begins with the rendering signature is a rendering slide.
  std::string sig = "AutoShade Rendering Slide\r\n";
  fixtures::Bytes shade(sig.begin(), sig.end());
  shade.resize(46, 0);
  const std::string lib = dir.Write("mixed.slb", fixtures::LibraryBytes({{"SHADE", shade}}));
  SlideInfo info;
  EXPECT_EQ(Call(lib, SI_DIRECT | SI_HEADER_ONLY, &info, "shade"), 46);
  EXPECT_EQ(info.kind, kKindRendering);
}

TEST(LoaderResults, DxfFileThatCannotBeCreatedFailsWithABox) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const std::string path = dir.Write("a.sld", SlideWriter(10, 10).Vector(0, 0, 5, 5).Build());
  const std::string dxf = dir.File("no/such/dir/out.dxf");
  platform::HeadlessWindow window(20, 20);
  NameBuffer name;
  EXPECT_LT(ShowIcon(&window, path.c_str(), name.data(), 0, dxf.c_str(), nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr),
            0);
  ASSERT_EQ(services.boxes.boxes.size(), 1u);
  EXPECT_EQ(services.boxes.boxes[0].title, "Error");
  EXPECT_NE(services.boxes.boxes[0].text.find(dxf), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dxf));
  EXPECT_EQ(DxfState().file, nullptr);
}

TEST(LoaderOffscreen, CompleteViewReturnsAtOnceWithoutDrawing) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const fixtures::Bytes bytes = SlideWriter(100, 100).Vector(0, 0, 99, 99).Build();
  const std::string path = dir.Write("a.sld", bytes);
  platform::HeadlessWindow window(50, 50);
  ViewState view;
  view.reached = static_cast<uint32_t>(bytes.size());
  SetBitmapSlot(nullptr);
  EXPECT_EQ(Call(path, SI_KEEP_BITMAP, nullptr, "", nullptr, &view, &window),
            static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(GetBitmapSlot(), nullptr);
  EXPECT_EQ(window.OpenDCs(), 0);
}

TEST(LoaderOffscreen, NoWindowContextShowsABoxAndStillDraws) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const std::string path = dir.Write("a.sld", SlideWriter(100, 100).Vector(0, 0, 99, 99).Build());
  platform::HeadlessWindow window(50, 50);
  window.FailGetDC(true);
  ViewState view;
  SetBitmapSlot(nullptr);
  EXPECT_GT(Call(path, SI_KEEP_BITMAP, nullptr, "", nullptr, &view, &window), 0);
  ASSERT_EQ(services.boxes.boxes.size(), 1u);
  EXPECT_EQ(services.boxes.boxes[0].text, "LocDc==NULL in ShowIcon");
  EXPECT_EQ(services.boxes.boxes[0].title, "MsWindows Error");
  EXPECT_EQ(services.boxes.boxes[0].style, 0x1000u);
  gdi::HBITMAP bitmap = GetBitmapSlot();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->width, 50);
  gdi::DeleteObject(bitmap);
  SetBitmapSlot(nullptr);
}

TEST(LoaderOffscreen, EmptyClientAreaGivesNoBitmap) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const std::string path = dir.Write("a.sld", SlideWriter(100, 100).Vector(0, 0, 99, 99).Build());
  platform::HeadlessWindow window(0, 0);
  ViewState view;
  EXPECT_EQ(Call(path, SI_KEEP_BITMAP, nullptr, "", nullptr, &view, &window), kNotFound);
  EXPECT_EQ(window.OpenDCs(), 0);
}

TEST(LoaderOffscreen, TruncatedDataIsReportedOnceAndNeverReadPast) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  fixtures::Bytes bytes = SlideWriter(100, 100).Vector(0, 0, 99, 99).Vector(1, 1, 50, 50).Build();
  bytes.resize(bytes.size() - 3);  // the second vector is cut short
  const std::string path = dir.Write("cut.sld", bytes);
  platform::HeadlessWindow window(50, 50);
  ViewState view;
  SetBitmapSlot(nullptr);
  EXPECT_GT(Call(path, SI_KEEP_BITMAP, nullptr, "", nullptr, &view, &window), 0);
  EXPECT_EQ(fixtures::BoxTexts(services.boxes),
            "MsWindows Error: IconSize<ByteReaded in Ciclo\n"
            "MsWindows Error: IconSize<ByteReaded in ShowIcon[2]\n");
  // The drawing is over: the next paint neither decodes nor complains again.
  EXPECT_EQ(view.reached, view.size);
  Call(path, SI_KEEP_BITMAP, nullptr, "", nullptr, &view, &window);
  EXPECT_EQ(services.boxes.boxes.size(), 2u);
  if (GetBitmapSlot()) gdi::DeleteObject(GetBitmapSlot());
  SetBitmapSlot(nullptr);
}

TEST(LoaderOffscreen, FilesShorterThanTheirHeaderDoNotCrash) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  const fixtures::Bytes full = SlideWriter(100, 100).Build();
  for (size_t n : {0u, 1u, 18u, 22u, 30u}) {
    const std::string path =
        dir.Write("short.sld", fixtures::Bytes(full.begin(), full.begin() + n));
    platform::HeadlessWindow window(20, 20);
    ViewState view;
    SetBitmapSlot(nullptr);
    const bool signed_ = n >= kSlideSignatureLength;
    const int32_t kept = Call(path, SI_KEEP_BITMAP, nullptr, "", nullptr, &view, &window);
    const int32_t direct = Call(path, SI_DIRECT, nullptr, "", nullptr, nullptr, &window);
    EXPECT_TRUE(signed_ ? kept >= 0 : kept == kNotSlide) << n;
    EXPECT_TRUE(signed_ ? direct >= 0 : direct == kNotSlide) << n;
    if (GetBitmapSlot()) gdi::DeleteObject(GetBitmapSlot());
    SetBitmapSlot(nullptr);
  }
}

// The picture a window's drawing leaves, from ShowIconKept or (kept null) from ShowIcon.
gdi::PixelVector DrawnPixels(KeptSlide* kept, const std::string& path, const std::string& member,
                             uint8_t zoom, int32_t* result) {
  platform::HeadlessWindow window(60, 40);
  ViewState view;
  view.zoom = zoom;
  view.panX = zoom > 1 ? 30 : 0;
  NameBuffer name(member);
  SetBitmapSlot(nullptr);
  *result = kept ? ShowIconKept(kept, &window, path.c_str(), name.data(), SI_KEEP_BITMAP, nullptr,
                                nullptr, &view, nullptr, nullptr)
                 : ShowIcon(&window, path.c_str(), name.data(), SI_KEEP_BITMAP, nullptr, nullptr,
                            nullptr, nullptr, &view, nullptr, nullptr);
  gdi::PixelVector pixels;
  if (GetBitmapSlot()) pixels = GetBitmapSlot()->pixels;
  if (GetBitmapSlot()) gdi::DeleteObject(GetBitmapSlot());
  SetBitmapSlot(nullptr);
  return pixels;
}

TEST(LoaderKeptSlide, DrawsLikeAFreshReadUntilTheFileChanges) {
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  SlideWriter first(100, 100), second(100, 100);
  first.Colour(1).Vector(0, 0, 99, 99).Vector(0, 99, 99, 0);
  second.Colour(3).Vector(50, 0, 50, 99);
  const std::string lib = dir.Write(
      "lib.slb", fixtures::LibraryBytes({{"ONE", first.Build()}, {"TWO", second.Build()}}));
  const std::string file = dir.Write("one.sld", first.Build());
  for (const auto& [path, member] : {std::pair{file, ""}, std::pair{lib, "two"}}) {
    KeptSlide kept;
    for (uint8_t zoom : {1, 3, 1}) {
      int32_t keptResult = 0, freshResult = 0;
      const gdi::PixelVector drawn = DrawnPixels(&kept, path, member, zoom, &keptResult);
      EXPECT_EQ(drawn, DrawnPixels(nullptr, path, member, zoom, &freshResult)) << path;
      EXPECT_EQ(keptResult, freshResult);
    }
    EXPECT_EQ(kept.reads, 1u) << path;
    EXPECT_GT(KeptSlideBytes(), 0u);

    // A new version of the file is read at the next fresh drawing.
    fixtures::WriteFile(
        path, member[0] ? fixtures::LibraryBytes({{"TWO", first.Build()}}) : second.Build());
    int32_t keptResult = 0, freshResult = 0;
    EXPECT_EQ(DrawnPixels(&kept, path, member, 1, &keptResult),
              DrawnPixels(nullptr, path, member, 1, &freshResult));
    EXPECT_EQ(kept.reads, 2u);
  }
  EXPECT_EQ(KeptSlideBytes(), 0u);

  // What cannot be kept is said as the loader says it.
  KeptSlide kept;
  int32_t result = 0;
  DrawnPixels(&kept, lib, "absent", 1, &result);
  EXPECT_EQ(result, kNotFound);
  DrawnPixels(&kept, dir.File("gone.sld"), "", 1, &result);
  EXPECT_EQ(result, kCannotOpen);
  EXPECT_EQ(kept.reads, 0u);
}

}  // namespace
