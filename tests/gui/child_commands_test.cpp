// The slide window's own commands besides zoom and copy: the information report, closing, and
// the window count in the status bar.
#include "resources/resources.h"
#include "slide/report.h"
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
