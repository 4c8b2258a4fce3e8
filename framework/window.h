// TWindow: what every framework window adds to its Qt widget: a response table for messages
// and commands, and the owner-window interface the engine draws and sends messages through.
#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

#include "framework/event_handler.h"
#include "platform/window.h"

namespace framework {

// A message posted to a window; delivered in order through the Qt event queue.
class TMessageEvent : public QEvent {
 public:
  static QEvent::Type EventType();
  TMessageEvent(uint32_t msg, uintptr_t wParam, intptr_t lParam)
      : QEvent(EventType()), Msg(msg), WParam(wParam), LParam(lParam) {}
  QEvent* clone() const override { return new TMessageEvent(*this); }
  uint32_t Msg;
  uintptr_t WParam;
  intptr_t LParam;
};

class TWindow : public TEventHandler, public platform::Window {
 public:
  explicit TWindow(QWidget* widget);
  ~TWindow() override;

  QWidget* Widget() const { return widget_; }
  platform::HWND HWindow() { return this; }

  // The window of a widget, or null.
  static TWindow* Of(const QObject* widget);

  gdi::RECT ClientRect() const override;
  gdi::HDC GetDC() override { return nullptr; }
  void ReleaseDC(gdi::HDC) override {}
  intptr_t SendMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  bool PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;

 protected:
  // Messages no response table took: WM_CLOSE closes the window, WM_COMMAND runs the command.
  virtual intptr_t DefWindowProc(uint32_t msg, uintptr_t wParam, intptr_t lParam);
  // A command the window itself does not answer; frames route it further.
  virtual bool RouteCommand(uint32_t id) { return DoCommand(id); }

 private:
  class Poster;
  QWidget* widget_;
  Poster* poster_;
};

}  // namespace framework
