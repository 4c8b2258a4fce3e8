#include "platform/qt/input_queue.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include "framework/window.h"

namespace platform::qt {

namespace {

InputQueue* gQueue = nullptr;
constexpr int kPumpIntervalMs = 5;

QEvent::Type ReplayType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

uintptr_t VirtualKey(const QKeyEvent* k) {
  const int key = k->key();
  if (key == Qt::Key_Escape) return VK_ESCAPE;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return 13;
  if (key == Qt::Key_Tab) return 9;
  if (key == Qt::Key_Backspace) return 8;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  if (key >= Qt::Key_Left && key <= Qt::Key_Down) {
    static const uintptr_t arrows[] = {0x25, 0x26, 0x27, 0x28};  // left, up, right, down
    return arrows[key - Qt::Key_Left];
  }
  if (key >= 0x20 && key <= 0x7E) return static_cast<uintptr_t>(key);  // letters are upper case
  return 0;
}

uint32_t ButtonMessage(Qt::MouseButton b, uint32_t left, uint32_t right, uint32_t middle) {
  if (b == Qt::LeftButton) return left;
  if (b == Qt::RightButton) return right;
  if (b == Qt::MiddleButton) return middle;
  return 0;
}

}  // namespace

InputQueue::InputQueue() {
  gQueue = this;
  SetInputQueue(this);
  QCoreApplication::instance()->installEventFilter(this);
  sincePump_.start();
}

InputQueue::~InputQueue() {
  QCoreApplication::instance()->removeEventFilter(this);
  if (gQueue == this) gQueue = nullptr;
  if (CurrentInputQueue() == this) SetInputQueue(nullptr);
}

InputQueue* InputQueue::Instance() {
  return gQueue;
}

uint32_t InputQueue::MessageOf(const QEvent* e, uintptr_t* wParam) {
  *wParam = 0;
  switch (e->type()) {
    case QEvent::KeyPress:
      *wParam = VirtualKey(static_cast<const QKeyEvent*>(e));
      return WM_KEYDOWN;
    case QEvent::KeyRelease:
      *wParam = VirtualKey(static_cast<const QKeyEvent*>(e));
      return WM_KEYDOWN + 1;
    case QEvent::MouseButtonPress:
      return ButtonMessage(static_cast<const QMouseEvent*>(e)->button(), WM_LBUTTONDOWN,
                           WM_RBUTTONDOWN, 0x207);
    case QEvent::MouseButtonRelease:
      return ButtonMessage(static_cast<const QMouseEvent*>(e)->button(), 0x202, 0x205, 0x208);
    case QEvent::MouseButtonDblClick:
      return ButtonMessage(static_cast<const QMouseEvent*>(e)->button(), 0x203, 0x206,
                           WM_MBUTTONDBLCLK);
    case QEvent::NonClientAreaMouseButtonPress:
      return ButtonMessage(static_cast<const QMouseEvent*>(e)->button(), WM_NCLBUTTONDOWN, 0xA4,
                           0xA7);
    case QEvent::NonClientAreaMouseButtonDblClick:
      return ButtonMessage(static_cast<const QMouseEvent*>(e)->button(), 0xA3, 0xA6,
                           WM_NCMBUTTONDBLCLK);
    case QEvent::NonClientAreaMouseButtonRelease:
      return 0xA2;
    case QEvent::Wheel:
      return 0x020A;
    case QEvent::Close:
      return WM_CLOSE;
    default:
      return 0;
  }
}

bool InputQueue::eventFilter(QObject* watched, QEvent* event) {
  if (drawing_ == 0 || event == delivering_) return QObject::eventFilter(watched, event);
  const QEvent::Type type = event->type();
  // Shortcuts would run commands inside the drawing: the key is held instead.
  if (type == QEvent::ShortcutOverride && suspended_ == 0) {
    event->accept();
    return true;
  }
  if (type == QEvent::Shortcut && suspended_ == 0) return true;
  // An open menu's keys and its own closing are the menu's: Esc closes it and must not stop
  // the drawing for good.
  const auto* widget = qobject_cast<const QWidget*>(watched);
  const auto* window = qobject_cast<const QWindow*>(watched);
  if (((type == QEvent::KeyPress || type == QEvent::KeyRelease) &&
       QApplication::activePopupWidget()) ||
      (widget && widget->windowType() == Qt::Popup) || (window && window->type() == Qt::Popup))
    return QObject::eventFilter(watched, event);
  uintptr_t wParam = 0;
  uint32_t message = 0;
  if (type == framework::TMessageEvent::EventType()) {
    message = static_cast<framework::TMessageEvent*>(event)->Msg;
  } else if (suspended_ == 0) {
    message = MessageOf(event, &wParam);
    if (message == 0) return QObject::eventFilter(watched, event);
  } else {
    return QObject::eventFilter(watched, event);
  }
  held_.push_back({watched, std::unique_ptr<QEvent>(event->clone()), message, wParam});
  return true;
}

void InputQueue::Pump() {
  if (sincePump_.elapsed() < kPumpIntervalMs) return;
  sincePump_.restart();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (watcher_) watcher_();
}

bool InputQueue::Peek(uint32_t first, uint32_t last, PendingMessage* out) {
  if (drawing_ > 0 && suspended_ == 0) Pump();
  if (stopRequested_ && drawing_ > 0 && first <= WM_LBUTTONDOWN && WM_LBUTTONDOWN <= last) {
    if (out) *out = {WM_LBUTTONDOWN, 0};
    return true;
  }
  for (const HeldEvent& h : held_) {
    if (h.message >= first && h.message <= last && h.receiver) {
      if (out) *out = {h.message, h.wParam};
      return true;
    }
  }
  return false;
}

void InputQueue::BeginDrawing() {
  ++drawing_;
}

void InputQueue::EndDrawing() {
  if (drawing_ == 1) stopRequested_ = false;
  if (--drawing_ > 0 || held_.empty() || replayPosted_) return;
  replayPosted_ = true;
  QCoreApplication::postEvent(this, new QEvent(ReplayType()));
}

bool InputQueue::event(QEvent* e) {
  if (e->type() != ReplayType()) return QObject::event(e);
  replayPosted_ = false;
  Replay();
  return true;
}

void InputQueue::Replay() {
  // One at a time from the front: a handler may start a drawing (which holds new input behind
  // what is still waiting) or a modal loop.
  while (!held_.empty() && drawing_ == 0) {
    HeldEvent h = std::move(held_.front());
    held_.pop_front();
    if (!h.receiver) continue;
    delivering_ = h.event.get();
    QCoreApplication::sendEvent(h.receiver, h.event.get());
    delivering_ = nullptr;
  }
}

}  // namespace platform::qt
