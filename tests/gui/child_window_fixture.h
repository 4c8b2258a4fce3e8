// The viewer started with no file, slide windows of a fixed client size opened in it, and
// mouse events sent to a window's client area as the window system would deliver them.
#pragma once

#include <QCoreApplication>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <memory>
#include <string>

#include "shell/app.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "tests/big_slide.h"
#include "tests/gui/gui_support.h"

namespace guitest {

// The application with its idle work at hand: the tests' event pumps never wait for input,
// so the idle time the message loop would give never comes by itself.
class IdleApp : public lanterna::TMyApp {
 public:
  using TMyApp::IdleAction;
};

class SlideWindowTest : public ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    lanterna::Shell().CommandLine = "";
    app = std::make_unique<IdleApp>();
    app->Start();
    frame = dynamic_cast<lanterna::TMyFrame*>(app->GetMainWindow());
    frame->resize(700, 560);
    ASSERT_TRUE(PumpUntil([&] { return frame->isVisible(); }));
  }
  void TearDown() override {
    app.reset();
    ViewerTest::TearDown();
  }
  // A window of a fixed client size, not yet painted, made the active one.
  // Painting is off while it is made, as when a file is opened by name.
  lanterna::TMyChild* Open(const std::string& path, int w = 400, int h = 300) {
    lanterna::Shell().PaintEnabled = false;
    auto* child = new lanterna::TMyChild(lanterna::Shell().Client, "test", path, "");
    child->Create();
    child->View()->setFixedSize(w, h);
    child->adjustSize();
    lanterna::Shell().Client->setActiveSubWindow(child);
    Pump(20);
    lanterna::Shell().PaintEnabled = true;
    return child;
  }
  // Opened and drawn to the end.
  lanterna::TMyChild* OpenDrawn(const std::string& path, int w = 400, int h = 300) {
    lanterna::TMyChild* child = Open(path, w, h);
    child->Invalidate();
    EXPECT_TRUE(PumpUntil([&] { return child->DrawingComplete(); }, 30000));
    return child;
  }
  // A small slide: a border and two diagonals on a 400 x 300 extent.
  std::string SmallSlide(int width = 400, int height = 300) {
    fixtures::SlideWriter s(static_cast<uint16_t>(width), static_cast<uint16_t>(height));
    s.Colour(1).Vector(0, 0, width - 1, 0).Vector(width - 1, 0, width - 1, height - 1);
    s.Vector(width - 1, height - 1, 0, height - 1).Vector(0, height - 1, 0, 0);
    s.Colour(5).Vector(0, 0, width - 1, height - 1).Vector(0, height - 1, width - 1, 0);
    s.EndOfFile();
    return dir.Write("small" + std::to_string(width) + "x" + std::to_string(height) + ".sld",
                     s.Build());
  }
  std::string BigSlide() { return dir.Write("big.sld", fixtures::BigDrawing(60000)); }

  // Pumps events, with idle time after each round, until cond holds.
  bool PumpWithIdleUntil(const std::function<bool()>& cond, int timeoutMs = 30000) {
    return PumpUntil(
        [&] {
          app->IdleAction(0);
          return cond();
        },
        timeoutMs);
  }

  std::unique_ptr<IdleApp> app;
  lanterna::TMyFrame* frame = nullptr;
};

// Mouse input on a widget at a point of its own, with the buttons held after the event.
inline void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}
inline void PostMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held) {
  QCoreApplication::postEvent(w, new QMouseEvent(type, QPointF(at), w->mapToGlobal(QPointF(at)),
                                                 button, held, Qt::NoModifier));
}
inline void Click(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  SendMouse(w, QEvent::MouseButtonPress, at, button, button);
  SendMouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}
inline void MoveTo(QWidget* w, QPoint at, Qt::MouseButtons held = Qt::NoButton) {
  SendMouse(w, QEvent::MouseMove, at, Qt::NoButton, held);
}

}  // namespace guitest
