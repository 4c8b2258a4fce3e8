// The main frame TMyFrame, its MDI client TMyWindow and the tool bar.
#pragma once

#include <string>
#include <vector>

#include "framework/frame.h"

class QDragEnterEvent;
class QDropEvent;
class QListWidget;

namespace lanterna {

class TMyChild;

class TMyWindow : public framework::TMDIClient {
 public:
  TMyWindow();
  ~TMyWindow() override;
  void SetupWindow() override;
  // Painting back on and every slide window drawn again (unless a click wait runs).
  void RepaintAll();
  std::vector<TMyChild*> SlideWindows() const;
  TMyChild* ActiveSlide() const;

  // Frame commands on the set of slide windows.
  void CmIconizeAll();
  void CmRestoreAll();
  void CmEnlarge(bool previous);
  void CmTile(bool horizontal);
  void CmAutoClose();
  void CmSlideShowDelay();
  void CmMemberNames();
  // Asks for a library and shows it as miniatures.
  void CmBrowseLibrary();
  // Slides on black or white: every picture drawn again.
  void CmBlackBackground();
  void CmSlideShow(bool fromMenu);
  // Message 1032: one entry per slide window, "file" or "file,member", in child order.
  void ListSlideWindows(QListWidget* list);
  // Files dropped on the client or the frame.
  void DropFiles(const std::vector<std::string>& names);

 protected:
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
};

class TMyControlBar : public framework::TControlBar {
 public:
  using TControlBar::TControlBar;
};

class TMyButtonGadget : public framework::TButtonGadget {
 public:
  using TButtonGadget::TButtonGadget;
};

class TMyFrame : public framework::TDecoratedMDIFrame {
 public:
  TMyFrame(const std::string& title, TMyWindow* client);
  ~TMyFrame() override;
  void SetupWindow() override;
  bool CanClose() override;
  void PopupOpening(QMenu* menu) override;
  std::string GetClassName() const override { return "QVLanternaTMyFrame"; }
  const std::string& HelpPath() const { return helpPath_; }
  // Toggles between maximised and normal size.
  void ToggleMaximized();
  // The frame's normal placement as last recorded.
  QRect RecordedPlacement() const { return placement_; }
  // False until the window manager's decorations are known and the stored placement applied.
  bool PlacementSettled() const { return !placementPending_; }

 protected:
  void moveEvent(QMoveEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  std::string helpPath_;
  void ApplyPlacement();
  // The frame's least width shows the whole of both bars.
  void KeepBarsWhole();
  void RecordPlacement();
  void WatchForDecorations(int triesLeft);
  // Applies the placement again when the decorations differ from those it was applied with.
  bool FollowDecorations();
  QMargins FrameMargins() const;
  QRect Desktop() const;
  std::vector<QAction*> recentActions_;  // the recent files' entries in the File menu
  QRect placement_;                      // the frame with its decorations, as stored
  QMargins appliedMargins_;              // the decorations the placement was applied with
  bool placementPending_ = false;        // the window manager has not told its decorations yet
  bool applying_ = false;
};

// The tool bar and status bar of the frame, in their order.
TMyControlBar* BuildToolBar(TMyFrame* frame);

// The stored frame rectangle on a desktop: no larger than it, and wholly on it.
QRect PlacementOnDesktop(QRect frame, const QRect& desktop);
// Where a frame with no stored size opens: two thirds of the desktop, centred.
QRect FirstPlacement(const QRect& desktop);
// The client area that puts a frame with these decorations at the stored rectangle on a desktop.
QRect ClientForPlacement(const QRect& frame, const QMargins& decorations, const QRect& desktop);
framework::TStatusBar* BuildStatusBar(TMyFrame* frame);

// Opens a file by name (message 1029; how: its kOpen... flags): a slide window, or for a library
// a window of miniatures or one per member. A request that comes while another is opening or a
// box about a file is up waits for its turn.
void OpenByName(uintptr_t how, const char* name);
// The library's window of miniatures, made or brought forward.
void BrowseLibrary(const std::string& path);
// The oldest request held back, opened now (message 1031).
void OpenNextQueued();

// While one lives, open requests are held back; the last one gone lets them through, one by one.
class OpenRequestsHeld {
 public:
  OpenRequestsHeld();
  ~OpenRequestsHeld();
  OpenRequestsHeld(const OpenRequestsHeld&) = delete;
  OpenRequestsHeld& operator=(const OpenRequestsHeld&) = delete;
};

// The local files of a drop, in order.
std::vector<std::string> DroppedFiles(const QDropEvent* e);

}  // namespace lanterna
