// TMyChild: one slide window. Draws its slide progressively into a bitmap it keeps and shows
// that bitmap on every paint; zooms and pans by mouse, copies to the clipboard, reports.
#pragma once

#include <QPoint>
#include <QPointer>
#include <string>

#include "framework/frame.h"
#include "platform/qt/surface_window.h"
#include "render/acacol.h"
#include "slide/kept_slide.h"
#include "slide/slide_types.h"

class QImage;
class QScrollBar;

namespace lanterna {

// The normal bitmap last handed to the clipboard, or none: no reset deletes it.
gdi::HBITMAP& ClipboardBitmap();

// What a bitmap's pixels look like as an image.
QImage BitmapImage(const gdi::Bitmap& bitmap);

class TMyChild : public framework::TMDIChild {
 public:
  TMyChild(framework::TMDIClient* client, const std::string& title, const std::string& fileName,
           const std::string& memberName);
  ~TMyChild() override;
  void SetupWindow() override;

  // The client area, where the engine draws (GetClientRect, GetDC go there).
  platform::qt::SurfaceWindow* View() const { return view_; }
  gdi::RECT ClientRect() const override { return view_->ClientRect(); }
  gdi::HDC GetDC() override { return view_->GetDC(); }
  void ReleaseDC(gdi::HDC dc) override { view_->ReleaseDC(dc); }
  // RDW_INVALIDATE: a paint comes later, through the queue.
  void Redraw(uint32_t flags) override;

  void Invalidate();
  void EvPaint();
  // The Stop command: the drawing under way ends where it is, as with Esc.
  void CmStopDrawing();
  // A drawing longer than this shows its progress and the Stop button (tests shorten it).
  static inline int64_t ProgressAfterMs = 500;

  const std::string& FileName() const { return fileName_; }
  const char* MemberName() const { return memberName_; }
  // The caption of a library member's window: its name decoded as the settings say.
  void ShowMemberName();
  // A member's window shows the next (1) or previous (-1) member of its library instead; false
  // at either end, or for a slide file.
  bool StepMember(int direction);
  // The slide's own name for files made of it: the member's decoded name ("/" as "_"), or the
  // file's base name, without extension.
  std::string FileStem() const;
  const ViewState& NormalView() const { return normalView_; }
  const SlideInfo& Info() const { return info_; }
  gdi::HBITMAP NormalBitmap() const { return normalBitmap_; }
  // The file could not be read: the user has been told and the window is closing.
  bool Refused() const { return refused_; }
  // The file was read once for the whole life of the window while it did not change.
  uint32_t SlideReads() const { return kept_.reads; }
  bool DrawingComplete() const {
    return normalBitmap_ && normalView_.size > 0 && normalView_.reached >= normalView_.size;
  }

 protected:
  // Closed or destroyed: no longer counted, the mouse let go; the object is deleted later.
  void CleanupWindow() override;
  void resizeEvent(QResizeEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  // Moves over the window's frame, outside the client area.
  void mouseMoveEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  // The client area's own resizes (scroll bars come and go inside the window).
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Uncount();
  void DefineMouseResponses();
  void AdjustSize();
  void ResetNormalView();
  // Tells the user why the file cannot be drawn, in one box naming it, and closes the window;
  // the loader's own words, when it said any, go into that box.
  void Refuse(int32_t result, const std::string& loaderSaid = "");
  // Reads the slide's header into the window's information; false, and the window refused,
  // when the file cannot be read.
  bool ReadHeader();
  void ResetIconView();
  // Deletes a bitmap this window no longer shows, unless the clipboard's copy is made from it.
  static void DropBitmap(gdi::HBITMAP bitmap);
  void CmRedraw();
  // One turn of the drawing (it returns at input); false when the window must not be touched
  // further (closed, refused, or waiting to be shown first).
  bool DrawSome();
  void ShowDrawingProgress();
  // A zoomed picture has scroll bars over the whole zoomed slide; the whole slide has none.
  void SyncScrollBars();
  // The picture shown at once for a new zoom or pan: the one shown so far, scaled by the zoom's
  // ratio and moved by the pan's change, on white; the drawing then covers it.
  void ShowPreview(int oldZoom, int oldPanX, int oldPanY);
  void CmZoom();
  void CmSlideInfo();
  void CmCopyVectors();
  void CmCopyBitmap();
  void RealizeSlidePalette();

  // Mouse protocol.
  void ShowPointerStatus();
  void ZoomAt(int x, int y, bool enlarge);
  void ShowWholeSlide();

 public:
  // Moves a zoomed picture by device pixels (keys, drags, scroll bars).
  void PanBy(int dx, int dy);
  QScrollBar* HorizontalBar() const { return hBar_; }
  QScrollBar* VerticalBar() const { return vBar_; }

 private:
  void StartDrag(int x, int y);
  void FollowDrag(int x, int y);
  void ToggleMaximized();

  // The copy commands' surroundings: no interruption, progress texts, the message window.
  bool BeginCopy();
  void EndCopy();

  platform::qt::SurfaceWindow* view_;
  QScrollBar* hBar_;
  QScrollBar* vBar_;
  bool syncingBars_ = false;
  gdi::HBITMAP normalBitmap_ = nullptr;
  gdi::HBITMAP iconBitmap_ = nullptr;
  bool wasMinimised_ = false;
  ViewState normalView_, iconView_;
  SlidePalette palette_;
  bool resized_ = false;
  gdi::RECT lastClient_{-4321, 0, 0, 0};
  bool shownBeforeDraw_ = false;
  bool refused_ = false;  // the file could not be drawn; the user was told once
  int wheelTurn_ = 0;     // wheel turn not yet made into zoom steps
  bool paintPosted_ = false;
  bool stopAsked_ = false;
  bool progressShown_ = false;
  int64_t drawingSince_ = 0;
  bool counted_ = true;
  SlideInfo info_;
  KeptSlide kept_;  // the slide's bytes, drawn again at every zoom and pan
  std::string fileName_;
  char memberName_[260] = {};

  // A drag by the client area: the window (or the frame) and where it and the pointer started.
  QPointer<QWidget> dragged_;
  QPoint panDragFrom_;  // where a middle-button drag of the picture started
  bool panDragging_ = false;
  QPoint dragStartPos_, dragStartPointer_;
  bool frameDragManual_ = false;
  bool zoomCursor_ = false;
};

}  // namespace lanterna
