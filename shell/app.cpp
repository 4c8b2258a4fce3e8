#include "shell/app.h"

#include <QEvent>

#include "dialogs/create_lib.h"
#include "dialogs/help_viewer.h"
#include "dialogs/slide_dialog.h"
#include "platform/input.h"
#include "resources/dialog_templates.h"
#include "resources/resources.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "shell/shell_state.h"
#include "slide/ciclo.h"
#include "slide/loader.h"

namespace lanterna {

TMyApp::TMyApp() : TApplication("Vex") {
  res::RegisterDialogResources();
  DefineResponseTable({
      OnCommand(res::CM_FILEOPEN, [] { CmFileOpen(Shell().Client); }),
      OnCommand(res::CM_CREATELIB, [] { CmCreateLibrary(Shell().Client); }),
  });
}

void TMyApp::InitMainWindow() {
  auto* client = new TMyWindow;
  Shell().Client = client;
  auto* frame = new TMyFrame(kFrameTitle, client);
  frame->InsertToolBar(BuildToolBar(frame));
  framework::TStatusBar* status = BuildStatusBar(frame);
  status->SetText(res::LoadString(res::IDS_CLICKRIGHT));
  frame->InsertStatusBar(status);
  SetMainWindow(frame);
}

bool TMyApp::IdleAllowed() const {
  return !LoaderBusy();
}

bool TMyApp::IdleAction(long idleCount) {
  TApplication::IdleAction(idleCount);
  ShellState& s = Shell();
  // One second after a click cut a drawing short, every window is drawn again.
  if (InterruptCause() & kInterruptMouse) {
    if (!s.InterruptWaiting) {
      s.InterruptWaiting = true;
      s.TickStart = s.TickNow = TickCount();
    }
    s.TickNow = TickCount();
    if ((s.TickNow - s.TickStart) * 0.001 > 1) {
      s.InterruptWaiting = false;
      InterruptCause() = 0;
      if (s.Client) s.Client->RepaintAll();
    }
  }
  if (s.SlideShowOn) StepSlideShow();
  if (s.SlideShowRunning && !s.SlideShowOn) {
    s.SlideShowRunning = false;
    if (s.Client) s.Client->CmRestoreAll();
  }
  return s.SlideShowOn || s.InterruptWaiting;
}

bool TMyApp::eventFilter(QObject* watched, QEvent* event) {
  // Input reaches the windows before idle time comes round: the show notes it on the way.
  if (Shell().SlideShowOn) {
    if (event->type() == QEvent::KeyPress) keySeen_ = true;
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
      mouseSeen_ = true;
  }
  return TApplication::eventFilter(watched, event);
}

void TMyApp::StepSlideShow() {
  ShellState& s = Shell();
  if (!s.SlideShowRunning) {
    // With the start at 0 more than a second has passed: the first slide comes at once.
    s.TickStart = 0;
    s.TickNow = TickCount();
    s.SlideShowRunning = true;
    InterruptCause() = 0;
    s.SlideCountdown = 0;
  }
  if ((s.TickNow - s.TickStart) * 0.001 > 1) {
    --s.SlideCountdown;
    s.TickStart = s.TickNow = TickCount();
  }
  if (s.SlideCountdown <= 0) {
    if (s.Client) {
      s.Client->CmEnlarge(false);
      if (TMyChild* active = s.Client->ActiveSlide()) active->SendMessage(platform::WM_PAINT, 0, 0);
    }
    s.TickStart = s.TickNow = TickCount();
    s.SlideCountdown = s.ShowDelay;
  } else {
    s.TickNow = TickCount();
  }
  platform::PendingMessage m{};
  const bool key = keySeen_, mouse = mouseSeen_;
  keySeen_ = mouseSeen_ = false;
  if (key || platform::PeekPendingInput(platform::WM_KEYDOWN, platform::WM_KEYDOWN, &m)) {
    s.SlideShowOn = false;
    InterruptCause() = kInterruptKey;
  }
  if (mouse ||
      platform::PeekPendingInput(platform::WM_LBUTTONDOWN, platform::WM_MBUTTONDBLCLK, &m)) {
    s.SlideShowOn = false;
    InterruptCause() = kInterruptMouse;
  }
  if (InterruptCause() & (kInterruptKey | kInterruptMouse | kInterruptEscape)) {
    s.SlideShowOn = false;
    InterruptCause() = 0;
  }
  const std::string countdown = std::to_string(s.SlideCountdown);
  if (countdown != s.CountdownText) SetStatusText(res::LoadString(res::IDS_WAIT) + countdown);
  s.CountdownText = countdown;
}

int RunViewer(const std::string& commandLine, const std::string& programDir) {
  ShellState& s = Shell();
  s.ProgramDir = programDir;
  s.CommandLine = commandLine;
  ReadSettings();
  int status;
  {
    TMyApp app;
    status = app.Run();
    // The frame records its placement when asked whether it may close.
    app.DestroyMainWindow();
  }
  WriteSettings();
  // The help viewer does not outlive the program.
  CloseHelpViewer();
  return status;
}

}  // namespace lanterna
