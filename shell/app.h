// TMyApp: the viewer's application object: its main window and its idle work.
#pragma once

#include "framework/application.h"

namespace lanterna {

class TMyApp : public framework::TApplication {
 public:
  TMyApp();

 protected:
  void InitMainWindow() override;
  bool IdleAction(long idleCount) override;
  bool IdleAllowed() const override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool keySeen_ = false, mouseSeen_ = false;
  // One idle turn of a running slide show.
  void StepSlideShow();
};

// The whole program after the single-instance check: settings, the application, settings.
int RunViewer(const std::string& commandLine, const std::string& programDir);

}  // namespace lanterna
