// The client area of a slide window over Qt: a bitmap the engine draws into through raster
// device contexts, and a widget that shows it. Messages go to a target window.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/window.h"

namespace platform::qt {

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

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool event(QEvent* e) override;

 private:
  void FitSurface();
  Window* target_ = nullptr;
  gdi::Bitmap surface_;
  std::vector<std::unique_ptr<gdi::DeviceContext>> dcs_;
  QElapsedTimer sinceShown_;
  int repaints_ = 0;
};

}  // namespace platform::qt
