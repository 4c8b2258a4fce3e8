// Drawing in slices: a time budget that, once spent, looks to the renderers like a mouse click
// waiting, so that a drawing stops as a slide window's does and carries on at its next paint.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/input.h"

namespace lanterna {

class Deadline : public platform::InputQueue {
 public:
  // Installed as the process's input queue for its lifetime.
  explicit Deadline(double budgetMs);
  ~Deadline() override;
  bool Peek(uint32_t first, uint32_t last, platform::PendingMessage* out) override;
  bool Spent() const;
  // The renderers look for input before their first record: each paint is let past its first
  // look, so that every paint makes progress.
  void NextPaint() { looked_ = false; }

 private:
  std::chrono::steady_clock::time_point end_;
  bool looked_ = false;
};

}  // namespace lanterna
