#include "framework/window.h"

#include <QCoreApplication>
#include <QVariant>

namespace framework {

namespace {
constexpr const char* kWindowProperty = "lanterna.TWindow";
}

QEvent::Type TMessageEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

// Receives the messages posted to its window; dies with the widget, so messages still queued
// for a destroyed window are dropped.
class TWindow::Poster : public QObject {
 public:
  Poster(TWindow* owner, QWidget* widget) : QObject(widget), owner_(owner) {}
  bool event(QEvent* e) override {
    if (e->type() != TMessageEvent::EventType()) return QObject::event(e);
    auto* m = static_cast<TMessageEvent*>(e);
    owner_->SendMessage(m->Msg, m->WParam, m->LParam);
    return true;
  }
  TWindow* owner_;
};

TWindow::TWindow(QWidget* widget) : widget_(widget), poster_(new Poster(this, widget)) {
  widget->setProperty(kWindowProperty, QVariant::fromValue(static_cast<void*>(this)));
}

TWindow::~TWindow() {
  // The widget part is destroyed after this one: nothing may reach this object any more.
  widget_->setProperty(kWindowProperty, QVariant());
  delete poster_;
}

TWindow* TWindow::Of(const QObject* widget) {
  if (!widget) return nullptr;
  QVariant v = widget->property(kWindowProperty);
  return v.isValid() ? static_cast<TWindow*>(v.value<void*>()) : nullptr;
}

gdi::RECT TWindow::ClientRect() const {
  return {0, 0, widget_->width(), widget_->height()};
}

intptr_t TWindow::SendMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  intptr_t result = 0;
  if (DoMessage(msg, wParam, lParam, &result)) return result;
  return DefWindowProc(msg, wParam, lParam);
}

bool TWindow::PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  QCoreApplication::postEvent(poster_, new TMessageEvent(msg, wParam, lParam));
  return true;
}

intptr_t TWindow::DefWindowProc(uint32_t msg, uintptr_t wParam, intptr_t) {
  if (msg == platform::WM_CLOSE) {
    widget_->close();
  } else if (msg == WM_COMMAND) {
    RouteCommand(static_cast<uint32_t>(wParam & 0xFFFF));
  }
  return 0;
}

}  // namespace framework
