#include "web/deadline.h"

#include <emscripten/emscripten.h>

#include "platform/window.h"

namespace lanterna {

namespace {

// 1 when input waits for the page, or when the browser cannot tell (node, most browsers but
// Chromium's): the drawing then keeps to its budget.
EM_JS(int, InputWaits, (), {
  var s = typeof navigator == "object" ? navigator.scheduling : null;
  if (!s || typeof s.isInputPending != "function") return 1;
  return s.isInputPending({includeContinuous : true}) ? 1 : 0;
});

std::chrono::steady_clock::duration Ms(double ms) {
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double, std::milli>(ms));
}

}  // namespace

Deadline::Deadline(double budgetMs, double longMs)
    : end_(Clock::now() + Ms(budgetMs)), longEnd_(Clock::now() + Ms(longMs)), nextAsk_(end_) {
  platform::SetInputQueue(this);
}

Deadline::~Deadline() {
  platform::SetInputQueue(nullptr);
}

bool Deadline::Peek(uint32_t first, uint32_t last, platform::PendingMessage* out) {
  if (first > platform::WM_LBUTTONDOWN || last < platform::WM_LBUTTONDOWN) return false;
  if (!looked_) {
    looked_ = true;
    return false;
  }
  if (!Spent()) return false;
  *out = {platform::WM_LBUTTONDOWN, 0};
  return true;
}

bool Deadline::Spent() {
  const Clock::time_point now = Clock::now();
  if (now < end_) return false;
  if (now >= longEnd_) return true;
  if (now < nextAsk_) return false;
  if (InputWaits()) {
    longEnd_ = now;
    return true;
  }
  nextAsk_ = now + Ms(1);
  return false;
}

}  // namespace lanterna
