#include <sys/stat.h>

#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include "platform/qt/input_queue.h"
#include "resources/resources.h"
#include "slide/loader.h"
#include "tests/gui/child_window_fixture.h"

namespace {

using lanterna::Shell;
using lanterna::TMyChild;

// Counts the key presses a widget gets.
class KeyCounter : public QObject {
 public:
  int presses = 0;
  std::vector<int> keys;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) {
      ++presses;
      keys.push_back(static_cast<QKeyEvent*>(e)->key());
    }
    return false;
  }
};

using guitest::SlideWindowTest;

TEST_F(SlideWindowTest, CommandLineSlideIsDrawnInItsWindow) {
  app.reset();
  Shell().CommandLine = std::string(LANTERNA_SAMPLES_DIR) + "/floorplan.sld";
  app = std::make_unique<guitest::IdleApp>();
  app->Start();
  ASSERT_TRUE(guitest::PumpUntil([&] { return Shell().ChildCount == 1; }));
  TMyChild* child = Shell().Client->SlideWindows().front();
  // Opened by name: the caption shows the name in capitals.
  EXPECT_EQ(child->GetCaption(), "FLOORPLAN.SLD");
  EXPECT_EQ(child->Info().kind, lanterna::kKindSlide);
  ASSERT_TRUE(guitest::PumpUntil([&] { return child->DrawingComplete(); }));
  guitest::Pump(50);
  EXPECT_EQ(Shell().CountGadget->GetText(), "1 MDI");
  // What the engine copied is on the surface, and the widget shows it.
  const gdi::Bitmap& surface = child->View()->Surface();
  EXPECT_EQ(surface.width, child->View()->width());
  EXPECT_GT(guitest::NonWhitePixels(surface), 200);
  QImage shown = child->View()->grab().toImage();
  int dark = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x)
      if (qGray(shown.pixel(x, y)) < 200) ++dark;
  EXPECT_GT(dark, 200);
  EXPECT_EQ(lanterna::LoaderBusy(), 0);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SlideWindowTest, MissingFileBeepsAndClosesTheWindow) {
  const int beeps = platform::BeepCount();
  Open(dir.File("none.sld"));  // refused as it is made
  ASSERT_TRUE(guitest::PumpUntil([&] { return Shell().ChildCount == 0; }));
  EXPECT_GT(platform::BeepCount(), beeps);
}

// A small window and one of over a million pixels (the size the batch draws by bands).
TEST_F(SlideWindowTest, KeyInterruptsAndTheDrawingResumesToTheSamePicture) {
  const std::string path = BigSlide();
  for (const auto& [w, h] : {std::pair{400, 300}, std::pair{1200, 900}}) {
    // The picture as one call of the engine draws it, with no window and no threads.
    platform::HeadlessWindow headless(w, h);
    lanterna::ViewState wholeView;
    char noMember[40] = {};
    lanterna::SetBitmapSlot(nullptr);
    lanterna::ShowIcon(&headless, path.c_str(), noMember, lanterna::SI_KEEP_BITMAP, nullptr,
                       nullptr, nullptr, nullptr, &wholeView, nullptr, nullptr);
    ASSERT_TRUE(lanterna::GetBitmapSlot());
    const gdi::PixelVector expected = lanterna::GetBitmapSlot()->pixels;
    gdi::DeleteObject(lanterna::GetBitmapSlot());
    lanterna::SetBitmapSlot(nullptr);

    TMyChild* child = Open(path, w, h);
    ASSERT_EQ(child->ClientRect().right, w);
    KeyCounter counter;
    child->View()->installEventFilter(&counter);
    child->View()->setFocus();
    guitest::Pump(20);  // the focus's palette message is handled before the drawing
    ASSERT_FALSE(child->NormalBitmap());
    // A key pressed while the drawing runs: it stops the drawing, and it is not lost.
    QCoreApplication::postEvent(child->View(), new QKeyEvent(QEvent::KeyPress, Qt::Key_A, {}, "a"));
    child->EvPaint();
    EXPECT_EQ(lanterna::InterruptCause(), lanterna::kInterruptKey);
    ASSERT_TRUE(child->NormalBitmap());
    EXPECT_GT(child->NormalView().reached, 0u);
    EXPECT_LT(child->NormalView().reached, child->NormalView().size);
    EXPECT_EQ(counter.presses, 0);
    EXPECT_EQ(platform::qt::InputQueue::Instance()->Held(), 1u);
    // Handled after the drawing returned; the next paints continue from where it stopped.
    ASSERT_TRUE(guitest::PumpUntil([&] { return counter.presses == 1; }));
    ASSERT_TRUE(guitest::PumpUntil([&] { return child->DrawingComplete(); }, 30000));
    EXPECT_EQ(counter.keys, std::vector<int>{Qt::Key_A});
    EXPECT_TRUE(child->NormalBitmap()->pixels == expected) << w << "x" << h;
    child->View()->removeEventFilter(&counter);
    child->Destroy();
    guitest::Pump(20);
  }
}

TEST_F(SlideWindowTest, EscapeKeepsThePartialPicture) {
  TMyChild* child = Open(BigSlide());
  QCoreApplication::postEvent(child->View(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
  child->EvPaint();
  EXPECT_EQ(lanterna::InterruptCause(), lanterna::kInterruptEscape);
  const uint32_t reached = child->NormalView().reached;
  ASSERT_GT(reached, 0u);
  guitest::Pump(300);
  EXPECT_EQ(child->NormalView().reached, reached);
  EXPECT_FALSE(child->DrawingComplete());
  // Redraw starts over, to the end.
  lanterna::InterruptCause() = 0;
  frame->RouteCommand(lanterna::res::CM_REDRAW);
  ASSERT_TRUE(guitest::PumpUntil([&] { return child->DrawingComplete(); }, 30000));
}

TEST_F(SlideWindowTest, NothingElseDrawsInsideADrawing) {
  const std::string path = BigSlide();
  TMyChild* first = Open(path);
  TMyChild* second = Open(path);
  // The second window's paint request is queued; it must wait for the first's drawing.
  second->Invalidate();
  QCoreApplication::postEvent(first->View(), new QKeyEvent(QEvent::KeyPress, Qt::Key_B, {}));
  first->EvPaint();
  EXPECT_FALSE(second->NormalBitmap());
  EXPECT_GE(platform::qt::InputQueue::Instance()->Held(), 2u);
  ASSERT_TRUE(guitest::PumpUntil(
      [&] { return first->DrawingComplete() && second->DrawingComplete(); }, 60000));
}

TEST_F(SlideWindowTest, LibraryMemberCaptionAndOneWindowPerMember) {
  lanterna::OpenByName(false, (std::string(LANTERNA_SAMPLES_DIR) + "/shapes.slb").c_str());
  ASSERT_GE(Shell().ChildCount, 2);
  TMyChild* child = Shell().Client->SlideWindows().front();
  EXPECT_EQ(child->GetCaption(), std::string(child->MemberName()) + " - (shapes.slb) ");
  ASSERT_TRUE(guitest::PumpUntil(
      [&] {
        for (TMyChild* c : Shell().Client->SlideWindows())
          if (!c->DrawingComplete()) return false;
        return true;
      },
      30000));
}

TEST_F(SlideWindowTest, UnknownKindIsReported) {
  lanterna::OpenByName(false, "\"/tmp/readme.txt\"");
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Select *.SLD or *.SLB (Autocad Slide)");
  EXPECT_EQ(boxes.boxes[0].title, "/TMP/README.TXT");
  EXPECT_EQ(Shell().ChildCount, 0);
}

TEST_F(SlideWindowTest, WhatCannotBeDrawnIsRefusedWithOneBoxNamingIt) {
  const std::string text = dir.Write("notes.sld", fixtures::Bytes(40, 'x'));
  const std::string empty = dir.Write("empty.sld", {});
  const std::string fifo = dir.File("pipe.sld"), folder = dir.File("folder.sld");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  struct Case {
    std::string path, says;
  } cases[] = {{text, " is not a slide."},
               {empty, " is not a slide."},
               {fifo, " cannot be opened."},
               {folder, " cannot be opened."}};
  for (const Case& c : cases) {
    boxes.boxes.clear();
    lanterna::OpenByName(false, c.path.c_str());
    ASSERT_TRUE(guitest::PumpUntil([] { return Shell().ChildCount == 0; })) << c.path;
    guitest::Pump(50);
    ASSERT_EQ(boxes.boxes.size(), 1u) << c.path << "\n" << fixtures::BoxTexts(boxes);
    EXPECT_EQ(boxes.boxes[0].text, c.path + c.says);
    EXPECT_EQ(Shell().StatusBar->GetText(), "");
  }
  // Random bytes named like a library open nothing, and say so.
  fixtures::Bytes noise(4096);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 7919u >> 3);
  const std::string random = dir.Write("random.slb", noise);
  boxes.boxes.clear();
  lanterna::OpenByName(false, random.c_str());
  guitest::Pump(50);
  EXPECT_EQ(Shell().ChildCount, 0);
  ASSERT_EQ(boxes.boxes.size(), 1u) << fixtures::BoxTexts(boxes);
  EXPECT_EQ(boxes.boxes[0].text, random + " is not a slide library.");
}

TEST_F(SlideWindowTest, EscThatClosesAMenuLeavesTheDrawingGoing) {
  TMyChild* child = Open(dir.Write("big.sld", fixtures::BigDrawing(300000)), 600, 450);
  QMenu menu;
  menu.addAction("Item");
  bool sent = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (sent || !lanterna::LoaderBusy()) return;
    sent = true;
    menu.popup(QPoint(10, 10));
    QCoreApplication::postEvent(&menu, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
  });
  poll.start(1);
  child->Invalidate();
  ASSERT_TRUE(guitest::PumpUntil([&] { return sent; }, 30000));
  EXPECT_TRUE(guitest::PumpUntil([&] { return child->DrawingComplete(); }, 60000));
  EXPECT_FALSE(menu.isVisible());
}

}  // namespace
