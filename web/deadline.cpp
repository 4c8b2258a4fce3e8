#include "web/deadline.h"

#include "platform/window.h"

namespace lanterna {

Deadline::Deadline(double budgetMs)
    : end_(std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(
               std::chrono::duration<double, std::milli>(budgetMs))) {
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

bool Deadline::Spent() const {
  return std::chrono::steady_clock::now() >= end_;
}

}  // namespace lanterna
