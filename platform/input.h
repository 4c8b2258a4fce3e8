// Pending-input peek: is a message of a range waiting in the queue, without removing it.
#pragma once

#include <cstdint>
#include <deque>

namespace platform {

struct PendingMessage {
  uint32_t message;
  uintptr_t wParam;
};

class InputQueue {
 public:
  virtual ~InputQueue() = default;
  // The first waiting message whose number lies in [first, last]; it stays in the queue.
  virtual bool Peek(uint32_t first, uint32_t last, PendingMessage* out) = 0;
};

// A queue that holds exactly what it is given (tests, scripted sessions).
class ScriptedInputQueue : public InputQueue {
 public:
  bool Peek(uint32_t first, uint32_t last, PendingMessage* out) override;
  void Push(uint32_t message, uintptr_t wParam = 0) { queue_.push_back({message, wParam}); }
  void Clear() { queue_.clear(); }
  int PeekCount() const { return peeks_; }
  // After this many further peeks, the pushed messages appear (0: visible at once).
  void RevealAfter(int peeks) { hiddenFor_ = peeks; }

 private:
  std::deque<PendingMessage> queue_;
  int peeks_ = 0;
  int hiddenFor_ = 0;
};

// The queue the renderers of the calling thread peek at; none installed (as on a thread that
// draws miniatures) means nothing is ever pending.
void SetInputQueue(InputQueue* queue);
InputQueue* CurrentInputQueue();
bool PeekPendingInput(uint32_t first, uint32_t last, PendingMessage* out);

}  // namespace platform
