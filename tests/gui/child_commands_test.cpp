// The slide window's own commands besides zoom and copy: the information report, closing, and
// the window count in the status bar.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include "dialogs/export_picture.h"
#include "resources/resources.h"
#include "slide/report.h"
#include "tests/cli_runner.h"
#include "tests/gui/child_window_fixture.h"

namespace {

using lanterna::Shell;
using lanterna::TMyChild;

class ChildCommandsTest : public guitest::SlideWindowTest {};

TEST_F(ChildCommandsTest, SlideInfoShowsTheReportInAnInfoBoxOwnedByTheWindow) {
  const std::string path = SmallSlide();
  TMyChild* child = Open(path);
  frame->RouteCommand(lanterna::res::CM_SLIDEINFO);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  const auto& box = boxes.boxes[0];
  EXPECT_EQ(box.title, "Info");
  EXPECT_EQ(box.style, 0u);
  EXPECT_EQ(box.owner, static_cast<platform::HWND>(child));
  EXPECT_EQ(box.text.rfind("Actual colors in palette:\t0\n___", 0), 0u);
  std::string report;
  char member[40] = {};
  ASSERT_TRUE(lanterna::BuildSlideReport(child, path.c_str(), member, nullptr, &report));
  EXPECT_EQ(box.text, report);
}

TEST_F(ChildCommandsTest, CloseDestroysTheWindowAndCountsIt) {
  TMyChild* first = OpenDrawn(SmallSlide(), 100, 80);
  Open(SmallSlide(), 100, 80);
  EXPECT_EQ(Shell().CountGadget->GetText(), "2 MDI");
  Shell().Client->setActiveSubWindow(first);
  frame->RouteCommand(lanterna::res::CM_CLOSECHILD);
  ASSERT_TRUE(guitest::PumpUntil([] { return Shell().ChildCount == 1; }));
  EXPECT_EQ(Shell().CountGadget->GetText(), "1 MDI");
  EXPECT_EQ(Shell().Client->SlideWindows().size(), 1u);
}

}  // namespace

namespace {

// Export Picture writes what lanterna-cli render writes for the window's size, zoom and pan,
// byte for byte, in each of its formats.
TEST_F(ChildCommandsTest, ExportPictureEqualsLanternaCliRender) {
  const std::string slide = SmallSlide();
  TMyChild* child = OpenDrawn(slide, 320, 200);
  QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier);  // zoom 2 about the middle
  QApplication::sendEvent(child, &plus);
  ASSERT_TRUE(guitest::PumpUntil([&] { return child->DrawingComplete(); }));
  const lanterna::ViewState& v = child->NormalView();
  const gdi::RECT r = child->ClientRect();
  for (const char* extension : {".png", ".svg"}) {
    const std::string mine = dir.File(std::string("export") + extension);
    const std::string cli = dir.File(std::string("cli") + extension);
    ASSERT_TRUE(lanterna::ExportPicture(*child, mine)) << extension;
    const fixtures::CliRun run = fixtures::Cli(
        "render " + fixtures::Quote(slide) + " -o " + fixtures::Quote(cli) + " --size " +
        std::to_string(r.right) + "x" + std::to_string(r.bottom) + " --zoom " +
        std::to_string(v.zoom) + " --pan " + std::to_string(v.panX) + "," + std::to_string(v.panY));
    ASSERT_EQ(run.exit, 0) << run.output;
    EXPECT_EQ(fixtures::ReadFile(mine), fixtures::ReadFile(cli)) << extension;
  }
  EXPECT_FALSE(lanterna::ExportPicture(*child, dir.File("no/such/dir/x.png")));

  // At a size given, the same part of the slide: the pan scaled to the size.
  ASSERT_TRUE(lanterna::ExportPicture(*child, dir.File("sized.png"), 640, 100));
  const fixtures::CliRun run = fixtures::Cli(
      "render " + fixtures::Quote(slide) + " -o " + fixtures::Quote(dir.File("sized-cli.png")) +
      " --size 640x100 --zoom " + std::to_string(v.zoom) + " --pan " +
      std::to_string(v.panX * 640 / r.right) + "," + std::to_string(v.panY * 100 / r.bottom));
  ASSERT_EQ(run.exit, 0) << run.output;
  EXPECT_EQ(fixtures::ReadFile(dir.File("sized.png")),
            fixtures::ReadFile(dir.File("sized-cli.png")));
  int w = 0, h = 0;
  EXPECT_TRUE(lanterna::ParsePictureSize(" 640 x 100", &w, &h));
  EXPECT_EQ(w * 1000 + h, 640100);
  for (const char* bad : {"", "640", "0x10", "10x", "20000x10", "640x100x3"})
    EXPECT_FALSE(lanterna::ParsePictureSize(bad, &w, &h)) << bad;
}

// A drawing that keeps the user waiting says how far it is and offers Stop, which ends it where
// it is, for good: nothing carries it on.
TEST_F(ChildCommandsTest, ALongDrawingShowsProgressAndStopEndsIt) {
  TMyChild::ProgressAfterMs = 0;
  TMyChild* child = Open(dir.Write("huge.sld", fixtures::BigDrawing(200000)), 600, 400);
  std::string status;
  bool stopOffered = false;
  QTimer during;
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (!lanterna::LoaderBusy() || Shell().StatusBar->GetText().rfind("Drawing", 0) != 0) return;
    during.stop();
    status = Shell().StatusBar->GetText();
    stopOffered = Shell().StopButton->Enabled();
    frame->RouteCommand(lanterna::res::CM_STOPDRAWING);
  });
  during.start(1);
  child->Invalidate();
  ASSERT_TRUE(guitest::PumpUntil(
      [&] { return (!during.isActive() || child->DrawingComplete()) && !lanterna::LoaderBusy(); }));
  guitest::Pump(200);
  TMyChild::ProgressAfterMs = 500;
  EXPECT_EQ(status.rfind("Drawing test... ", 0), 0u) << status;
  EXPECT_NE(status.find("% (Esc or Stop ends it)"), std::string::npos) << status;
  EXPECT_TRUE(stopOffered);
  EXPECT_LT(child->NormalView().reached, child->NormalView().size);
  EXPECT_FALSE(child->DrawingComplete());
}

// View > Black Background: the picture on black with colour 7 in white, and the recorded picture
// (Copy Vectors, SVG) carries the black background.
TEST_F(ChildCommandsTest, BlackBackgroundTurnsThePictureAndItsCopiesBlack) {
  fixtures::SlideWriter s(400, 300);
  s.Colour(7).Vector(0, 150, 399, 150).EndOfFile();
  const std::string path = dir.Write("seven.sld", s.Build());
  frame->RouteCommand(lanterna::res::CM_BLACKBACKGROUND);
  ASSERT_TRUE(Shell().BlackBackground);
  TMyChild* child = OpenDrawn(path, 400, 300);
  const gdi::Bitmap& picture = *child->NormalBitmap();
  EXPECT_EQ(picture.At(200, 50) & 0xFFFFFF, gdi::RGB(0, 0, 0));
  int white = 0;
  for (int y = 0; y < picture.height; ++y)
    white += (picture.At(200, y) & 0xFFFFFF) == gdi::RGB(255, 255, 255);
  EXPECT_GE(white, 1);
  ASSERT_TRUE(lanterna::ExportPicture(*child, dir.File("black.svg")));
  const fixtures::Bytes svg = fixtures::ReadFile(dir.File("black.svg"));
  EXPECT_NE(std::string(svg.begin(), svg.end()).find("#000000"), std::string::npos);
  frame->RouteCommand(lanterna::res::CM_BLACKBACKGROUND);
  EXPECT_FALSE(lanterna::BlackBackground());
}

}  // namespace
