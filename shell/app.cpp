#include "shell/app.h"

#include "platform/input.h"
#include "resources/resources.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "shell/shell_state.h"
#include "slide/ciclo.h"
#include "slide/loader.h"

namespace lanterna {

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
  return s.SlideShowOn || s.InterruptWaiting;
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
  return status;
}

}  // namespace lanterna
