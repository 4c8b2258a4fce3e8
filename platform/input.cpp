#include "platform/input.h"

namespace platform {

namespace {
thread_local InputQueue* gInputQueue = nullptr;
}

bool ScriptedInputQueue::Peek(uint32_t first, uint32_t last, PendingMessage* out) {
  ++peeks_;
  if (hiddenFor_ > 0) {
    --hiddenFor_;
    return false;
  }
  for (const PendingMessage& m : queue_) {
    if (m.message >= first && m.message <= last) {
      if (out) *out = m;
      return true;
    }
  }
  return false;
}

void SetInputQueue(InputQueue* queue) {
  gInputQueue = queue;
}
InputQueue* CurrentInputQueue() {
  return gInputQueue;
}

bool PeekPendingInput(uint32_t first, uint32_t last, PendingMessage* out) {
  return gInputQueue && gInputQueue->Peek(first, last, out);
}

}  // namespace platform
