// Helpers for the viewer's tests: an event pump with a deadline, a fresh program state with
// its own configuration directory, and pixel counts.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QThread>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "shell/shell_state.h"
#include "slide/ciclo.h"
#include "tests/test_support.h"

namespace guitest {

// Runs the event loop until cond holds or the time is up; false on timeout.
inline bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!cond()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  return true;
}

inline void Pump(int ms) {
  PumpUntil([] { return false; }, ms);
}

// The texts of a list's items, in order.
inline std::vector<std::string> ListItems(QListWidget* list) {
  std::vector<std::string> out;
  for (int i = 0; list && i < list->count(); ++i)
    out.push_back(list->item(i)->text().toLocal8Bit().toStdString());
  return out;
}

inline int NonWhitePixels(const gdi::Bitmap& b) {
  int n = 0;
  for (uint32_t p : b.pixels)
    if ((p & 0xFFFFFF) != 0xFFFFFF) ++n;
  return n;
}

// Each test starts as the program does, with a configuration directory of its own.
class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    lanterna::ResetShellState();
    lanterna::InterruptCause() = 0;
    lanterna::InterruptMask(lanterna::kDefaultInterruptMask);
    platform::SetMessageBoxService(&boxes);
  }
  void TearDown() override {
    platform::SetMessageBoxService(nullptr);
    ::unsetenv("XDG_CONFIG_HOME");
  }
  fixtures::TempDir dir;
  platform::RecordingMessageBoxes boxes;
};

}  // namespace guitest
