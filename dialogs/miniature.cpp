#include "dialogs/miniature.h"

#include <QPaintEvent>
#include <QPainter>

#include "framework/dialog.h"
#include "framework/window.h"

namespace lanterna {

TMiniature::TMiniature(framework::TWindow* owner, int id) : owner_(owner), id_(id) {}

void TMiniature::Erase() {
  gdi::HDC dc = GetDC();
  const gdi::RECT r = ClientRect();
  gdi::BitBlt(dc, 0, 0, r.right, r.bottom, nullptr, 0, 0, gdi::WHITENESS);
  ReleaseDC(dc);
}

void TMiniature::RedrawNow() {
  // A drawing in progress asks for no second one from inside it.
  if (drawing_ || !owner_) return;
  drawing_ = true;
  drawnOnce_ = true;
  Erase();
  ++draws_;
  owner_->SendMessage(framework::WM_DRAWITEM, static_cast<uintptr_t>(id_), 0);
  drawing_ = false;
  repaint();
}

void TMiniature::Redraw(uint32_t flags) {
  if (flags & platform::RDW_INVALIDATE) RedrawNow();
}

void TMiniature::paintEvent(QPaintEvent* e) {
  SurfaceWindow::paintEvent(e);
  // The button's border; the picture is kept on the surface, so an exposure only shows it.
  QPainter painter(this);
  painter.setPen(QColor(128, 128, 128));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TMiniature::showEvent(QShowEvent* e) {
  SurfaceWindow::showEvent(e);
  if (!drawnOnce_)
    QMetaObject::invokeMethod(
        this, [this] { RedrawNow(); }, Qt::QueuedConnection);
}

void TMiniature::resizeEvent(QResizeEvent* e) {
  SurfaceWindow::resizeEvent(e);
  // A new size: the picture is fitted again.
  if (drawnOnce_ && isVisible())
    QMetaObject::invokeMethod(
        this, [this] { RedrawNow(); }, Qt::QueuedConnection);
}

}  // namespace lanterna
