// Drawing in slices: a time budget that, once spent, looks to the renderers like a mouse click
// waiting, so that a drawing stops as a slide window's does and carries on at its next paint.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/input.h"

namespace lanterna {

class Deadline : public platform::InputQueue {
 public:
  // Installed as the process's input queue for its lifetime. Past budgetMs the drawing goes on
  // up to longMs while the browser says no input is waiting (each paint's end costs a copy of
  // the whole picture: fewer, longer paints draw sooner).
  explicit Deadline(double budgetMs, double longMs = 0);
  ~Deadline() override;
  bool Peek(uint32_t first, uint32_t last, platform::PendingMessage* out) override;
  bool Spent();
  // The renderers look for input before their first record: each paint is let past its first
  // look, so that every paint makes progress.
  void NextPaint() { looked_ = false; }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point end_;
  Clock::time_point longEnd_;
  Clock::time_point nextAsk_;  // the browser is asked about input at most once a millisecond
  bool looked_ = false;
};

}  // namespace lanterna
