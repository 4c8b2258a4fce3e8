// The client area of a slide window over Qt: a bitmap the engine draws into through raster
// device contexts, and a widget that shows it. Messages go to a target window; so do the mouse
// and focus events of the client area, as the window messages they stand for.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/window.h"

namespace platform::qt {

// The client-area input messages a target gets. lParam carries the point in client pixels
// (x in the low 16 bits, y in the next 16, both signed); wParam the buttons and keys held.
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_NCMOUSEMOVE = 0x00A0;
constexpr uint32_t WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;  // wParam: the turn in eighths of a degree, signed
constexpr uintptr_t MK_LBUTTON = 0x01;
constexpr uintptr_t MK_RBUTTON = 0x02;
constexpr uintptr_t MK_SHIFT = 0x04;
constexpr uintptr_t MK_CONTROL = 0x08;
constexpr uintptr_t MK_MBUTTON = 0x10;
constexpr uintptr_t HTCAPTION = 2;

constexpr intptr_t MakePointParam(int x, int y) {
  return static_cast<intptr_t>((static_cast<uint32_t>(static_cast<uint16_t>(x))) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}
constexpr int PointParamX(intptr_t lParam) {
  return static_cast<int16_t>(static_cast<uint32_t>(lParam) & 0xFFFF);
}
constexpr int PointParamY(intptr_t lParam) {
  return static_cast<int16_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFF);
}

class SurfaceWindow : public QWidget, public Window {
 public:
  explicit SurfaceWindow(QWidget* parent = nullptr);
  ~SurfaceWindow() override;

  // Messages, posts and redraw requests go to target (the slide window); without one,
  // WM_CLOSE closes the widget's window and everything else is ignored.
  void SetTarget(Window* target) { target_ = target; }

  RECT ClientRect() const override;
  HDC GetDC() override;
  void ReleaseDC(HDC dc) override;
  intptr_t SendMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  bool PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void Redraw(uint32_t flags) override;

  // What the screen shows of the client area.
  const gdi::Bitmap& Surface() const { return surface_; }
  int OpenDCs() const { return static_cast<int>(dcs_.size()); }
  // Shows what was copied so far, at most every few milliseconds while a drawing runs.
  void ShowProgress();
  int Repaints() const { return repaints_; }
  // Shows at once, in place of what is there, the previous picture scaled by `scale` and then
  // moved by the offset (device pixels) while the new one is drawn; background where it does
  // not reach. No drawing may hold a context.
  void ShowPreview(const gdi::Bitmap& picture, double scale, double offsetX, double offsetY,
                   gdi::COLORREF background);
  // Previews shown so far (benchmarks).
  int Previews() const { return previews_; }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool event(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;

 private:
  void FitSurface();
  // Sends the message of a mouse event to the target; false (event ignored) without one.
  bool ForwardMouse(QMouseEvent* e, uint32_t left, uint32_t right, uint32_t middle);
  Window* target_ = nullptr;
  gdi::Bitmap surface_;
  std::vector<std::unique_ptr<gdi::DeviceContext>> dcs_;
  QElapsedTimer sinceShown_;
  int repaints_ = 0;
  int previews_ = 0;
  QImage shown_;  // the surface as painted, in the order Qt paints fastest
};

}  // namespace platform::qt
