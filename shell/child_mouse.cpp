// The slide window's mouse protocol: the status read-out, zoom and pan about the pointer in
// zoom mode, and outside it the client area acting as a caption (drag, maximise, restore).
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>

#include "framework/gadgets.h"
#include "resources/resources.h"
#include "shell/child.h"
#include "shell/shell_state.h"

namespace lanterna {

namespace {

using platform::qt::HTCAPTION;
using platform::qt::MK_LBUTTON;
using platform::qt::PointParamX;
using platform::qt::PointParamY;

constexpr int kMaxZoom = 15;

// Zoom mode is the tool bar's Zoom toggle: one setting for all slide windows.
bool ZoomMode() {
  const ShellState& s = Shell();
  return s.ZoomButton && s.ZoomButton->ButtonState();
}

void ClearPointerStatus() {
  if (framework::TTextGadget* g = Shell().CaptionGadget) g->SetText("");
}

}  // namespace

void TMyChild::DefineMouseResponses() {
  namespace qt = platform::qt;
  DefineResponseTable({
      OnMessage(qt::WM_MOUSEMOVE,
                [this](uintptr_t keys, intptr_t at) {
                  if (dragged_ && (keys & MK_LBUTTON)) FollowDrag(PointParamX(at), PointParamY(at));
                  ShowPointerStatus();
                  return 0;
                }),
      OnMessage(qt::WM_NCMOUSEMOVE,
                [](uintptr_t, intptr_t) {
                  ClearPointerStatus();
                  return 0;
                }),
      OnMessage(platform::WM_LBUTTONDOWN,
                [this](uintptr_t, intptr_t at) {
                  if (!ZoomMode()) SendMessage(platform::WM_NCLBUTTONDOWN, HTCAPTION, at);
                  return 0;
                }),
      OnMessage(platform::WM_NCLBUTTONDOWN,
                [this](uintptr_t hit, intptr_t at) {
                  if (hit == HTCAPTION) StartDrag(PointParamX(at), PointParamY(at));
                  return 0;
                }),
      OnMessage(qt::WM_LBUTTONUP,
                [this](uintptr_t, intptr_t at) {
                  dragged_ = nullptr;
                  if (ZoomMode()) ZoomAt(PointParamX(at), PointParamY(at), true);
                  return 0;
                }),
      // The middle button drags a zoomed picture: it follows the pointer when let go.
      OnMessage(qt::WM_MBUTTONDOWN,
                [this](uintptr_t, intptr_t at) {
                  panDragFrom_ = QPoint(PointParamX(at), PointParamY(at));
                  panDragging_ = true;
                  return 0;
                }),
      OnMessage(qt::WM_MBUTTONUP,
                [this](uintptr_t, intptr_t at) {
                  if (!panDragging_) return 0;
                  panDragging_ = false;
                  PanBy(panDragFrom_.x() - PointParamX(at), panDragFrom_.y() - PointParamY(at));
                  return 0;
                }),
      OnMessage(qt::WM_LBUTTONDBLCLK,
                [this](uintptr_t, intptr_t at) {
                  if (!ZoomMode()) SendMessage(qt::WM_NCLBUTTONDBLCLK, HTCAPTION, at);
                  return 0;
                }),
      OnMessage(qt::WM_RBUTTONUP,
                [this](uintptr_t, intptr_t at) {
                  if (ZoomMode()) {
                    ZoomAt(PointParamX(at), PointParamY(at), false);
                  } else {
                    PostMessage(qt::WM_NCLBUTTONDBLCLK, HTCAPTION, at);
                  }
                  return 0;
                }),
      OnMessage(qt::WM_MOUSEWHEEL,
                [this](uintptr_t turn, intptr_t at) {
                  // One notch (120) a zoom step about the pointer, as in zoom mode.
                  wheelTurn_ += static_cast<int>(static_cast<intptr_t>(turn));
                  while (wheelTurn_ >= 120 || wheelTurn_ <= -120) {
                    const bool enlarge = wheelTurn_ > 0;
                    wheelTurn_ += enlarge ? -120 : 120;
                    ZoomAt(PointParamX(at), PointParamY(at), enlarge);
                  }
                  return 0;
                }),
      OnMessage(qt::WM_NCLBUTTONDBLCLK,
                [this](uintptr_t hit, intptr_t) {
                  if (hit == HTCAPTION) ToggleMaximized();
                  return 0;
                }),
  });
}

void TMyChild::mouseMoveEvent(QMouseEvent* e) {
  SendMessage(platform::qt::WM_NCMOUSEMOVE, 0, 0);
  TMDIChild::mouseMoveEvent(e);
}

void TMyChild::keyPressEvent(QKeyEvent* e) {
  // + and - zoom about the middle of the window.
  const gdi::RECT r = ClientRect();
  if (e->key() == Qt::Key_Plus || e->key() == Qt::Key_Equal) {
    ZoomAt(r.right / 2, r.bottom / 2, true);
  } else if (e->key() == Qt::Key_Minus) {
    ZoomAt(r.right / 2, r.bottom / 2, false);
  } else if (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right) {
    // An eighth of the window a press, as far as a scroll bar's page step.
    const int step = std::max(1, static_cast<int>(r.right) / 8);
    PanBy(e->key() == Qt::Key_Left ? -step : step, 0);
  } else if (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) {
    const int step = std::max(1, static_cast<int>(r.bottom) / 8);
    PanBy(0, e->key() == Qt::Key_Up ? -step : step);
  } else if (e->key() == Qt::Key_Home) {
    ShowWholeSlide();
  } else if (e->key() == Qt::Key_PageDown || e->key() == Qt::Key_PageUp) {
    StepMember(e->key() == Qt::Key_PageDown ? 1 : -1);
  } else {
    TMDIChild::keyPressEvent(e);
  }
}

void TMyChild::ShowPointerStatus() {
  if (framework::TTextGadget* g = Shell().CaptionGadget) {
    std::string text = GetCaption();
    if (normalView_.zoom != 1) text += " [1:" + std::to_string(normalView_.zoom) + "]";
    g->SetText(text);
  }
  const bool zoom = ZoomMode();
  if (zoom != zoomCursor_) {
    zoomCursor_ = zoom;
    view_->setCursor(res::LoadCursor(zoom ? "CUR_ZOOM" : "CUR_MANO"));
  }
}

void TMyChild::ZoomAt(int x, int y, bool enlarge) {
  ViewState& v = normalView_;
  const int32_t oldZoom = v.zoom == 0 ? 1 : v.zoom;  // 0 stands for 1
  int32_t newZoom;
  if (enlarge) {
    if (oldZoom >= kMaxZoom) return;
    newZoom = oldZoom + 1;
  } else {
    if (oldZoom <= 1) return;
    newZoom = oldZoom - 1;
  }
  // The slide point under the pointer stays under it (up to the truncating division).
  const int32_t oldPanX = v.panX, oldPanY = v.panY;
  v.panX = (static_cast<int32_t>(x) + v.panX) / oldZoom * newZoom - x;
  v.panY = (static_cast<int32_t>(y) + v.panY) / oldZoom * newZoom - y;
  v.zoom = static_cast<uint8_t>(newZoom);
  if (newZoom == 1) v.panX = v.panY = 0;
  ShowPreview(oldZoom, oldPanX, oldPanY);
  DropBitmap(normalBitmap_);
  normalBitmap_ = nullptr;
  if (newZoom == 1) {
    ResetNormalView();
    v.panX = v.panY = 0;
  }
  v.reached = 0;
  ShowPointerStatus();  // the [1:n] read-out follows the zoom at once
  EvPaint();
}

void TMyChild::PanBy(int dx, int dy) {
  ViewState& v = normalView_;
  if (v.zoom <= 1) return;  // the whole slide shows: there is nothing to move to
  v.panX += dx;
  v.panY += dy;
  ShowPreview(v.zoom, v.panX - dx, v.panY - dy);
  DropBitmap(normalBitmap_);
  normalBitmap_ = nullptr;
  v.reached = 0;
  EvPaint();
}

void TMyChild::ShowWholeSlide() {
  ViewState& v = normalView_;
  if (v.zoom <= 1 && v.panX == 0 && v.panY == 0) return;
  v.zoom = 1;
  ResetNormalView();
  v.panX = v.panY = 0;
  ShowPointerStatus();
  EvPaint();
}

void TMyChild::StartDrag(int x, int y) {
  // A maximised window covers the client: dragging it drags the frame.
  dragged_ = IsZoomed() ? window() : static_cast<QWidget*>(this);
  dragStartPos_ = dragged_->pos();
  dragStartPointer_ = view_->mapToGlobal(QPoint(x, y));
  frameDragManual_ = false;
}

void TMyChild::FollowDrag(int x, int y) {
  const QPoint delta = view_->mapToGlobal(QPoint(x, y)) - dragStartPointer_;
  if (dragged_->isWindow() && !frameDragManual_) {
    // A click that does not move leaves the frame alone (a double click restores the window);
    // a real drag is the window system's where it offers one.
    if (delta.manhattanLength() < QApplication::startDragDistance()) return;
    if (QWindow* handle = dragged_->windowHandle(); handle && handle->startSystemMove()) {
      dragged_ = nullptr;
      return;
    }
    frameDragManual_ = true;
  }
  dragged_->move(dragStartPos_ + delta);
}

void TMyChild::ToggleMaximized() {
  if (IsZoomed()) {
    showNormal();
  } else {
    showMaximized();
  }
}

void TMyChild::CmZoom() {
  framework::TStatusBar* bar = Shell().StatusBar;
  if (!bar) return;
  bar->SetHintText(res::LoadString(res::IDS_PLACEZOOM));
  bar->SetText(res::LoadString(ZoomMode() ? res::IDS_ZOOMBUTTONS : res::IDS_CLICKRIGHT));
}

}  // namespace lanterna
