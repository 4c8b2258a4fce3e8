// Program-wide state of the viewer: settings, painting and slide-show flags, and the handles
// of the main windows.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace framework {
class TButtonGadget;
class TControlBar;
class TStatusBar;
class TTextGadget;
}  // namespace framework

namespace lanterna {

class TMyFrame;
class TMyWindow;

constexpr const char* kIniFile = "QVINI.INI";
constexpr const char* kIniSection = "Lanterna";
constexpr const char* kFrameClass = "QVLanternaTMyFrame";
constexpr const char* kFrameTitle = "Quelna WWW Slide Viewer";
constexpr const char* kHelpTitle = "Quelna Lanterna Help";
constexpr uint32_t WM_OPENBYNAME = 0x0400 + 5;        // 1029
constexpr uint32_t WM_WRITEDXF = 0x0400 + 6;          // 1030
constexpr uint32_t WM_OPENQUEUED = 0x0400 + 7;        // 1031: the next request held back
constexpr uint32_t WM_SCREENSLIDES = 0x0400 + 8;      // 1032
constexpr uint32_t WM_REALIZEPALETTE = 0x0400 + 201;  // 1225
// Flags of message 1029's wParam: a request handed over by the WWW browser, and one from
// another program (the command line or a second start), where a library opens as miniatures.
constexpr uintptr_t kOpenHandedOver = 1;
constexpr uintptr_t kOpenFromOutside = 2;

struct ShellState {
  std::string ProgramDir;
  std::string CommandLine;
  bool PaintEnabled = true;
  bool SlideShowOn = false;
  bool SlideShowRunning = false;
  int32_t SlideCountdown = 0;
  std::string CountdownText;
  bool InterruptWaiting = false;
  int64_t TickStart = 0, TickNow = 0;

  // Settings.
  int32_t XPos = 1, YPos = 1, WPos = 400, HPos = 300;
  // False when the settings hold no frame size: the frame opens at two thirds of the desktop.
  bool SizeStored = true;
  std::string LastDir;
  int32_t AutoClose = 1;
  int32_t ShowDelay = 3;
  int32_t MaxAutoIconize = 20;
  std::vector<std::string> RecentFiles;  // newest first, at most kMaxRecentFiles
  std::string NameCodePage;  // of library member names; empty: UTF-8 where valid, else cp1252
  // A library handed over by another program opens as one window of miniatures (1) or as a
  // window per member (0).
  int32_t LibraryView = 1;
  bool BlackBackground = false;  // slides drawn on black, as on the CAD screen

  int32_t ChildCount = 0;
  std::string PendingName;
  int32_t RetryCount = 0;
  // Open requests that came while a file was being opened or a box about one was up.
  int32_t OpenRequestsHeld = 0;
  std::vector<std::pair<uintptr_t, std::string>> QueuedOpens;  // flags of 1029, name
  bool FirstPaintPending = true;

  TMyFrame* Frame = nullptr;
  TMyWindow* Client = nullptr;
  framework::TControlBar* ToolBar = nullptr;
  framework::TStatusBar* StatusBar = nullptr;
  framework::TTextGadget* CaptionGadget = nullptr;  // 23 characters
  framework::TTextGadget* CountGadget = nullptr;    // 5 characters
  framework::TButtonGadget* ZoomButton = nullptr;
  framework::TButtonGadget* StopButton = nullptr;
  framework::TButtonGadget* SlideShowButton = nullptr;
};
ShellState& Shell();

constexpr size_t kMaxRecentFiles = 4;
// Puts a file just opened at the head of the recent files (once; the oldest drops off).
void NoteRecentFile(const std::string& path);
// Back to the values of a fresh start (tests start the program more than once).
void ResetShellState();

// "QVINI.INI", section "Lanterna": read at start, written at exit, in the program's order.
void ReadSettings();
void WriteSettings();

// A member name's stored bytes as the user reads them, in the code page of the settings.
std::string ShownMemberName(const std::string& stored);

// Milliseconds of a monotonic clock.
int64_t TickCount();

// The status bar's message area (when there is a bar).
void SetStatusText(const std::string& text);

}  // namespace lanterna
