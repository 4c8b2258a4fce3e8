// The pending-input peek over Qt. While a drawing runs, the window system's events are let in
// by the peeks, but input (keys, mouse buttons, close requests) and the messages posted to
// framework windows are held, not delivered: the peek finds them there, and when the drawing
// returns they are delivered in the order they came. So a key stops a drawing without being
// lost, and nothing that could start another drawing runs inside one.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>

#include "platform/input.h"

namespace platform::qt {

class InputQueue : public QObject, public platform::InputQueue {
 public:
  // Installs itself as the process's queue and as an application event filter.
  InputQueue();
  ~InputQueue() override;
  static InputQueue* Instance();

  bool Peek(uint32_t first, uint32_t last, PendingMessage* out) override;

  void BeginDrawing();
  void EndDrawing();
  bool Drawing() const { return drawing_ > 0; }
  // A modal box shown inside a drawing gets its input; posted messages stay held.
  void SuspendCapture() { ++suspended_; }
  void ResumeCapture() { --suspended_; }

  // Stops the drawing under way at its next peek, as a mouse click would (it is resumed or
  // redrawn later), so that what the caller holds back (a file handed over) comes in at once.
  void StopDrawing() {
    if (drawing_ > 0) stopRequested_ = true;
  }

  size_t Held() const { return held_.size(); }
  // Runs at each turn the drawing lets the window system in (progress texts); none: nothing.
  void SetDrawingWatcher(std::function<void()> watcher) { watcher_ = std::move(watcher); }
  // The message an event stands for (WM_KEYDOWN, WM_LBUTTONDOWN, ...), or 0 for none.
  static uint32_t MessageOf(const QEvent* e, uintptr_t* wParam);
  // Delivers what is held now (normally done from the queue once the drawing has returned).
  void Replay();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* e) override;

 private:
  struct HeldEvent {
    QPointer<QObject> receiver;
    std::unique_ptr<QEvent> event;
    uint32_t message;
    uintptr_t wParam;
  };
  void Pump();
  std::deque<HeldEvent> held_;
  int drawing_ = 0;
  int suspended_ = 0;
  bool replayPosted_ = false;
  bool stopRequested_ = false;
  const QEvent* delivering_ = nullptr;
  QElapsedTimer sincePump_;
  std::function<void()> watcher_;
};

// Marks a drawing for the queue, if one is installed.
class DrawingScope {
 public:
  DrawingScope() {
    if (InputQueue* q = InputQueue::Instance()) q->BeginDrawing();
  }
  ~DrawingScope() {
    if (InputQueue* q = InputQueue::Instance()) q->EndDrawing();
  }
  DrawingScope(const DrawingScope&) = delete;
  DrawingScope& operator=(const DrawingScope&) = delete;
};

}  // namespace platform::qt
