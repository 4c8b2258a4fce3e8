// The slide window's mouse protocol, driven by mouse events on its client area: zoom and pan
// about the pointer, the status read-out and cursor, dragging and maximising by the client.
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "framework/gadgets.h"
#include "platform/qt/input_queue.h"
#include "resources/resources.h"
#include "tests/gui/child_window_fixture.h"

namespace {

using guitest::Click;
using guitest::MoveTo;
using guitest::SendMouse;
using lanterna::Shell;
using lanterna::TMyChild;

class ChildMouseTest : public guitest::SlideWindowTest {
 protected:
  void SetZoomMode(bool on) { Shell().ZoomButton->SetButtonState(on); }
  static void ExpectView(const TMyChild* c, int zoom, int panX, int panY) {
    EXPECT_EQ(c->NormalView().zoom, zoom);
    EXPECT_EQ(c->NormalView().panX, panX);
    EXPECT_EQ(c->NormalView().panY, panY);
  }
};

TEST_F(ChildMouseTest, ZoomStepsStayBetweenOneAndFifteen) {
  SetZoomMode(true);
  TMyChild* child = OpenDrawn(SmallSlide());
  QWidget* client = child->View();
  for (int i = 0; i < 10; ++i) Click(client, {0, 0});
  ExpectView(child, 11, 0, 0);
  // Each step draws the slide again at once.
  EXPECT_TRUE(child->DrawingComplete());
  for (int i = 0; i < 6; ++i) Click(client, {0, 0});
  ExpectView(child, 15, 0, 0);
  for (int i = 0; i < 14; ++i) Click(client, {0, 0}, Qt::RightButton);
  ExpectView(child, 1, 0, 0);
  Click(client, {0, 0}, Qt::RightButton);
  ExpectView(child, 1, 0, 0);
  EXPECT_TRUE(child->DrawingComplete());
}

TEST_F(ChildMouseTest, PanKeepsThePointUnderThePointerWithTruncatingDivision) {
  SetZoomMode(true);
  TMyChild* child = OpenDrawn(SmallSlide());
  QWidget* client = child->View();
  const gdi::PixelVector whole = child->NormalBitmap()->pixels;
  Click(client, {100, 50});
  ExpectView(child, 2, 100, 50);
  ASSERT_TRUE(child->DrawingComplete());
  EXPECT_FALSE(child->NormalBitmap()->pixels == whole);  // drawn enlarged
  // Back to zoom 1 the pan is always 0, wherever the pointer is.
  Click(client, {7, 3}, Qt::RightButton);
  ExpectView(child, 1, 0, 0);

  Click(client, {1, 1});  // (1 + 0) / 1 * 2 - 1
  ExpectView(child, 2, 1, 1);
  Click(client, {1, 1});  // (1 + 1) / 2 * 3 - 1
  ExpectView(child, 3, 2, 2);
  Click(client, {100, 101}, Qt::RightButton);  // (100 + 2) / 3 * 2 - 100
  ExpectView(child, 2, -32, -33);
  // -27 / 2 and -33 / 2 are -13 and -16 (toward zero, not -14 and -17).
  Click(client, {5, 0});
  ExpectView(child, 3, -44, -48);
}

TEST_F(ChildMouseTest, WheelAndPlusMinusZoomWithTheSameStepsAndReadOut) {
  TMyChild* child = OpenDrawn(SmallSlide());
  auto wheel = [&](QPoint at, int turn) {
    QWheelEvent e(at, child->View()->mapToGlobal(at), {}, {0, turn}, Qt::NoButton, {},
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(child->View(), &e);
  };
  auto key = [&](int k) {
    QKeyEvent e(QEvent::KeyPress, k, {});
    QCoreApplication::sendEvent(child, &e);
  };
  wheel({100, 50}, 120);  // zoom mode off: the wheel zooms all the same, about the pointer
  ExpectView(child, 2, 100, 50);
  EXPECT_EQ(Shell().CaptionGadget->GetText(), "test [1:2]");
  wheel({100, 50}, 60);  // half a notch: not yet
  ExpectView(child, 2, 100, 50);
  wheel({7, 3}, -180);  // with the half notch before: one step back
  ExpectView(child, 1, 0, 0);
  EXPECT_EQ(Shell().CaptionGadget->GetText(), "test");
  for (int i = 0; i < 20; ++i) key(Qt::Key_Plus);
  EXPECT_EQ(child->NormalView().zoom, 15);
  key(Qt::Key_Minus);
  EXPECT_EQ(child->NormalView().zoom, 14);
  EXPECT_EQ(Shell().CaptionGadget->GetText(), "test [1:14]");
}

TEST_F(ChildMouseTest, RedrawKeepsTheZoomUnlessZoomModeIsOn) {
  SetZoomMode(true);
  TMyChild* child = OpenDrawn(SmallSlide());
  Click(child->View(), {100, 50});
  SetZoomMode(false);
  frame->RouteCommand(lanterna::res::CM_REDRAW);
  ExpectView(child, 2, 100, 50);
  EXPECT_TRUE(child->DrawingComplete());
  SetZoomMode(true);
  frame->RouteCommand(lanterna::res::CM_REDRAW);
  ExpectView(child, 1, 0, 0);
  EXPECT_TRUE(child->DrawingComplete());
}

TEST_F(ChildMouseTest, ResizingAZoomedWindowScalesItsPan) {
  SetZoomMode(true);
  TMyChild* child = OpenDrawn(SmallSlide());
  Click(child->View(), {100, 50});
  ExpectView(child, 2, 100, 50);
  child->View()->setFixedSize(200, 150);
  child->adjustSize();
  ASSERT_TRUE(guitest::PumpUntil([&] { return child->DrawingComplete(); }));
  ExpectView(child, 2, 50, 25);
  child->View()->setFixedSize(300, 300);
  child->adjustSize();
  ASSERT_TRUE(guitest::PumpUntil([&] { return child->DrawingComplete(); }));
  ExpectView(child, 2, 75, 50);
  EXPECT_EQ(child->NormalBitmap()->width, 300);
}

TEST_F(ChildMouseTest, StatusReadOutAndCursorFollowZoomAndZoomMode) {
  TMyChild* child = OpenDrawn(SmallSlide());
  QWidget* client = child->View();
  MoveTo(client, {10, 10});
  EXPECT_EQ(Shell().CaptionGadget->GetText(), "test");
  EXPECT_EQ(client->cursor().shape(), Qt::OpenHandCursor);  // CUR_MANO

  SetZoomMode(true);
  MoveTo(client, {12, 10});
  EXPECT_EQ(client->cursor().shape(), Qt::BitmapCursor);  // CUR_ZOOM
  Click(client, {12, 10});
  MoveTo(client, {12, 11});
  EXPECT_EQ(Shell().CaptionGadget->GetText(), "test [1:2]");

  // Leaving the client area for the frame clears the read-out.
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(client, &leave);
  EXPECT_EQ(Shell().CaptionGadget->GetText(), "");

  SetZoomMode(false);
  MoveTo(client, {20, 20});
  EXPECT_EQ(client->cursor().shape(), Qt::OpenHandCursor);
  EXPECT_EQ(Shell().CaptionGadget->GetText(), "test [1:2]");
}

TEST_F(ChildMouseTest, ZoomToggleTellsWhatTheButtonsDo) {
  TMyChild* child = OpenDrawn(SmallSlide());
  framework::TButtonGadget* zoom = Shell().ZoomButton;
  frame->UpdateCommandStates();
  ASSERT_TRUE(zoom->Enabled());
  zoom->Button()->click();
  EXPECT_TRUE(zoom->ButtonState());
  EXPECT_EQ(Shell().StatusBar->HintText(), "Place center of zoom...");
  EXPECT_EQ(Shell().StatusBar->GetText(), "Left enlarge, Right reduce");
  zoom->Button()->click();
  EXPECT_FALSE(zoom->ButtonState());
  EXPECT_EQ(Shell().StatusBar->GetText(), "Click Right to resize");
  // Without slide windows there is nothing to zoom.
  child->Destroy();
  guitest::Pump(20);
  frame->UpdateCommandStates();
  EXPECT_FALSE(zoom->Enabled());
}

TEST_F(ChildMouseTest, OutsideZoomModeTheClientAreaDragsAndResizesTheWindow) {
  TMyChild* child = OpenDrawn(SmallSlide(), 200, 150);
  QWidget* client = child->View();
  child->move(10, 10);
  const QPoint start = child->pos();
  const QPoint frameStart = frame->pos();
  SendMouse(client, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
  MoveTo(client, {60, 50}, Qt::LeftButton);
  SendMouse(client, QEvent::MouseButtonRelease, {60, 50}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(child->pos(), start + QPoint(40, 30));
  EXPECT_EQ(frame->pos(), frameStart);
  MoveTo(client, {90, 90});  // no button held: no drag
  EXPECT_EQ(child->pos(), start + QPoint(40, 30));
  EXPECT_EQ(child->NormalView().zoom, 1);

  // A double click maximises; a right click restores (posted, so it comes a moment later).
  SendMouse(client, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(client, QEvent::MouseButtonRelease, {20, 20}, Qt::LeftButton, Qt::NoButton);
  SendMouse(client, QEvent::MouseButtonDblClick, {20, 20}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(client, QEvent::MouseButtonRelease, {20, 20}, Qt::LeftButton, Qt::NoButton);
  EXPECT_TRUE(child->IsZoomed());
  Click(client, {20, 20}, Qt::RightButton);
  EXPECT_TRUE(child->IsZoomed());
  ASSERT_TRUE(guitest::PumpUntil([&] { return !child->IsZoomed(); }));
  EXPECT_EQ(child->NormalView().zoom, 1);
}

TEST_F(ChildMouseTest, DraggingAMaximisedWindowMovesTheFrame) {
  TMyChild* child = OpenDrawn(SmallSlide(), 200, 150);
  child->showMaximized();
  guitest::Pump(20);
  QWidget* client = child->View();
  const QPoint frameStart = frame->pos();
  const QPoint childStart = child->pos();
  SendMouse(client, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
  MoveTo(client, {21, 20}, Qt::LeftButton);  // a click's wobble moves nothing
  EXPECT_EQ(frame->pos(), frameStart);
  MoveTo(client, {50, 45}, Qt::LeftButton);
  SendMouse(client, QEvent::MouseButtonRelease, {50, 45}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(frame->pos(), frameStart + QPoint(30, 25));
  EXPECT_EQ(child->pos(), childStart);
  EXPECT_TRUE(child->IsZoomed());
}

TEST_F(ChildMouseTest, AClickStopsADrawingAndIsHandledAfterIt) {
  SetZoomMode(true);
  TMyChild* child = Open(BigSlide());
  QWidget* client = child->View();
  guitest::PostMouse(client, QEvent::MouseButtonPress, {100, 50}, Qt::LeftButton, Qt::LeftButton);
  guitest::PostMouse(client, QEvent::MouseButtonRelease, {100, 50}, Qt::LeftButton, Qt::NoButton);
  child->EvPaint();
  EXPECT_EQ(lanterna::InterruptCause(), lanterna::kInterruptMouse);
  EXPECT_GT(child->NormalView().reached, 0u);
  EXPECT_LT(child->NormalView().reached, child->NormalView().size);
  // The click's press and release wait; on a busy machine a message the frame posted meanwhile
  // (its placement once the decorations come) may wait with them.
  EXPECT_GE(platform::qt::InputQueue::Instance()->Held(), 2u);

  // The click comes after the drawing, in client pixels: a zoom step about its point.
  ASSERT_TRUE(guitest::PumpUntil([&] { return child->NormalView().zoom == 2; }));
  ExpectView(child, 2, 100, 50);
  // No window paints while the click's wait runs.
  EXPECT_FALSE(child->NormalBitmap());
  child->EvPaint();
  EXPECT_FALSE(child->NormalBitmap());
  EXPECT_EQ(child->NormalView().reached, 0u);
  // About a second later every window is drawn again.
  const int64_t waitFrom = lanterna::TickCount();
  ASSERT_TRUE(PumpWithIdleUntil([&] { return child->DrawingComplete(); }, 60000));
  EXPECT_GE(lanterna::TickCount() - waitFrom, 900);
  EXPECT_EQ(lanterna::InterruptCause(), 0u);
  ExpectView(child, 2, 100, 50);
}

}  // namespace

namespace {

// Arrow keys move a zoomed picture by an eighth of the window, pixel for pixel; Home shows the
// whole slide again.
TEST_F(ChildMouseTest, ArrowKeysAndScrollBarsPanAZoomedPictureAndHomeShowsTheWholeSlide) {
  SetZoomMode(true);
  TMyChild* child = OpenDrawn(SmallSlide());
  QWidget* client = child->View();
  const gdi::PixelVector whole = child->NormalBitmap()->pixels;
  auto press = [&](int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(child, &event);
    ASSERT_TRUE(guitest::PumpUntil([&] { return child->DrawingComplete(); }));
  };
  press(Qt::Key_Right);  // at zoom 1 there is nothing to move
  ExpectView(child, 1, 0, 0);
  Click(client, {100, 50});
  ASSERT_TRUE(child->DrawingComplete());
  const gdi::Bitmap before = *child->NormalBitmap();
  const int step = client->width() / 8;
  const int previews = child->View()->Previews();
  press(Qt::Key_Right);
  ExpectView(child, 2, 100 + step, 50);
  // The moved picture showed at once, before the drawing covered it.
  EXPECT_EQ(child->View()->Previews(), previews + 1);
  const gdi::Bitmap& after = *child->NormalBitmap();
  ASSERT_EQ(after.width, before.width);
  int differing = 0;
  for (int y = 0; y < after.height; ++y)
    for (int x = 0; x + step < after.width; ++x)
      differing += after.At(x, y) != before.At(x + step, y);
  EXPECT_EQ(differing, 0);
  press(Qt::Key_Down);
  ExpectView(child, 2, 100 + step, 50 + client->height() / 8);
  // The scroll bars show the zoomed slide: moving one pans by as much.
  ASSERT_TRUE(child->HorizontalBar()->isVisible());
  EXPECT_EQ(child->HorizontalBar()->value(), 100 + step);
  EXPECT_EQ(child->HorizontalBar()->maximum(), client->width());
  child->VerticalBar()->setValue(child->VerticalBar()->value() - 7);
  ASSERT_TRUE(guitest::PumpUntil([&] { return child->DrawingComplete(); }));
  ExpectView(child, 2, 100 + step, 43 + client->height() / 8);
  press(Qt::Key_Home);
  ExpectView(child, 1, 0, 0);
  EXPECT_TRUE(child->NormalBitmap()->pixels == whole);
  EXPECT_FALSE(child->HorizontalBar()->isVisible());

  // The middle button drags the picture with the pointer: 30 left and 20 up shows what lay
  // 30 right and 20 below.
  Click(client, {100, 50});
  ASSERT_TRUE(child->DrawingComplete());
  const gdi::Bitmap zoomed = *child->NormalBitmap();
  SendMouse(client, QEvent::MouseButtonPress, {60, 60}, Qt::MiddleButton, Qt::MiddleButton);
  SendMouse(client, QEvent::MouseButtonRelease, {30, 40}, Qt::MiddleButton, Qt::NoButton);
  ASSERT_TRUE(guitest::PumpUntil([&] { return child->DrawingComplete(); }));
  ExpectView(child, 2, 130, 70);
  const gdi::Bitmap& dragged = *child->NormalBitmap();
  differing = 0;
  for (int y = 0; y + 20 < dragged.height; ++y)
    for (int x = 0; x + 30 < dragged.width; ++x)
      differing += dragged.At(x, y) != zoomed.At(x + 30, y + 20);
  EXPECT_EQ(differing, 0);
}

}  // namespace

namespace {

// Zoom and pan draw from the slide read when the window opened; a new version of the file on
// disk is read at the next step.
TEST_F(ChildMouseTest, StepsDrawTheSlideReadOnceUntilTheFileChanges) {
  const std::string path = SmallSlide();
  TMyChild* child = OpenDrawn(path);
  auto key = [&](int k) {
    QKeyEvent e(QEvent::KeyPress, k, {});
    QCoreApplication::sendEvent(child, &e);
    EXPECT_TRUE(guitest::PumpUntil([&] { return child->DrawingComplete(); }));
  };
  for (int k : {Qt::Key_Plus, Qt::Key_Right, Qt::Key_Home}) key(k);
  EXPECT_EQ(child->SlideReads(), 1u);

  fixtures::SlideWriter filled(400, 300);
  filled.Colour(3).Fill({{0, 0}, {399, 0}, {399, 299}, {0, 299}}).EndOfFile();
  fixtures::WriteFile(path, filled.Build());
  key(Qt::Key_Plus);
  EXPECT_EQ(child->SlideReads(), 2u);
  TMyChild* fresh = OpenDrawn(path);
  EXPECT_EQ(child->NormalBitmap()->At(200, 150), fresh->NormalBitmap()->At(200, 150));
  EXPECT_NE(child->NormalBitmap()->At(200, 150), 0x00FFFFFFu);
}

}  // namespace
