// TMiniature: an owner-drawn button as a drawing surface. The dialog that owns it draws it
// on WM_DRAWITEM (wParam the control id), straight into the surface's device context.
#pragma once

#include "platform/qt/surface_window.h"

namespace framework {
class TWindow;
}

namespace lanterna {

class TMiniature : public platform::qt::SurfaceWindow {
 public:
  TMiniature(framework::TWindow* owner, int id);
  // Erases the face and has the owner draw it now (invalidate, erase, update now).
  void RedrawNow();
  // The engine's redraw requests erase and draw the face again too.
  void Redraw(uint32_t flags) override;
  int Draws() const { return draws_; }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void Erase();
  framework::TWindow* owner_;
  int id_;
  int draws_ = 0;
  bool drawing_ = false;
  bool drawnOnce_ = false;
};

}  // namespace lanterna
