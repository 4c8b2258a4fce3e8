#include "platform/qt/surface_window.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/qt/bitmap_image.h"

namespace platform::qt {

namespace {

constexpr int kProgressIntervalMs = 30;

QEvent::Type PostedType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

class PostedMessage : public QEvent {
 public:
  PostedMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam)
      : QEvent(PostedType()), msg(msg), wParam(wParam), lParam(lParam) {}
  QEvent* clone() const override { return new PostedMessage(*this); }
  uint32_t msg;
  uintptr_t wParam;
  intptr_t lParam;
};

}  // namespace

SurfaceWindow::SurfaceWindow(QWidget* parent) : QWidget(parent) {
  // Every move counts: the target shows what lies under the pointer.
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  surface_.bitsPixel = 32;
  sinceShown_.start();
  FitSurface();
}

SurfaceWindow::~SurfaceWindow() = default;

RECT SurfaceWindow::ClientRect() const {
  return {0, 0, width(), height()};
}

void SurfaceWindow::FitSurface() {
  // Contexts handed out draw on the pixels: they keep their size until the last is released.
  if (!dcs_.empty()) return;
  const int w = std::max(0, width()), h = std::max(0, height());
  if (w == surface_.width && h == surface_.height) return;
  gdi::PixelVector pixels(static_cast<size_t>(w) * h);
  std::fill(pixels.begin(), pixels.end(), gdi::RGB(255, 255, 255));
  for (int y = 0; y < std::min(h, surface_.height); ++y)
    std::copy_n(surface_.pixels.begin() + static_cast<size_t>(y) * surface_.width,
                std::min(w, surface_.width), pixels.begin() + static_cast<size_t>(y) * w);
  surface_.pixels.swap(pixels);
  surface_.width = w;
  surface_.height = h;
}

HDC SurfaceWindow::GetDC() {
  FitSurface();
  dcs_.push_back(gdi::CreateWindowRasterDC(&surface_, gdi::DeviceCaps::TrueColour()));
  return dcs_.back().get();
}

void SurfaceWindow::ReleaseDC(HDC dc) {
  auto it = std::find_if(dcs_.begin(), dcs_.end(), [dc](auto& p) { return p.get() == dc; });
  if (it == dcs_.end()) return;
  dcs_.erase(it);
  FitSurface();
  update();
}

intptr_t SurfaceWindow::SendMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  // The renderers send this between records: the moment to show their progress copies.
  if (msg == WM_NCHITTEST) ShowProgress();
  if (target_) return target_->SendMessage(msg, wParam, lParam);
  if (msg == WM_CLOSE) window()->close();
  return 0;
}

bool SurfaceWindow::PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  QCoreApplication::postEvent(this, new PostedMessage(msg, wParam, lParam));
  return true;
}

void SurfaceWindow::Redraw(uint32_t flags) {
  if (target_) {
    target_->Redraw(flags);
  } else if (flags & RDW_INVALIDATE) {
    update();
  }
}

bool SurfaceWindow::event(QEvent* e) {
  if (e->type() == PostedType()) {
    auto* m = static_cast<PostedMessage*>(e);
    SendMessage(m->msg, m->wParam, m->lParam);
    return true;
  }
  return QWidget::event(e);
}

void SurfaceWindow::ShowProgress() {
  if (dcs_.empty() || sinceShown_.elapsed() < kProgressIntervalMs || !isVisible()) return;
  repaint();
}

void SurfaceWindow::paintEvent(QPaintEvent* e) {
  sinceShown_.restart();
  ++repaints_;
  QPainter painter(this);
  const QRect area = e->rect();
  const QRect covered = area.intersected(QRect(0, 0, surface_.width, surface_.height));
  if (!covered.isEmpty()) {
    if (shown_.width() != surface_.width || shown_.height() != surface_.height)
      shown_ = QImage(surface_.width, surface_.height, QImage::Format_RGB32);
    CopyToRgb32(surface_, covered, &shown_, covered.topLeft());
    // A drawing's progress copy not made yet: its picture is shown from where it is drawn.
    for (const auto& dc : dcs_) {
      const gdi::PendingCopy* copy = gdi::PendingCopyOf(dc.get());
      if (!copy || copy->source->width <= 0 || copy->source->height <= 0) continue;
      const QRect target = QRect(QPoint(copy->dst.left, copy->dst.top),
                                 QPoint(copy->dst.right - 1, copy->dst.bottom - 1))
                               .intersected(covered);
      const QPoint offset(copy->srcOrg.x - copy->dst.left, copy->srcOrg.y - copy->dst.top);
      CopyToRgb32(*copy->source, target.translated(offset), &shown_, target.topLeft());
    }
    painter.drawImage(covered.topLeft(), shown_, covered);
  }
  // Whatever the surface does not cover yet is the window's white background.
  const QRegion rest = QRegion(area) - QRegion(0, 0, surface_.width, surface_.height);
  for (const QRect& r : rest) painter.fillRect(r, Qt::white);
}

void SurfaceWindow::ShowPreview(const gdi::Bitmap& picture, double scale, double offsetX,
                                double offsetY, gdi::COLORREF background) {
  if (!dcs_.empty() || surface_.width <= 0 || surface_.height <= 0 || scale <= 0) return;
  const bool whole =
      picture.pixels.size() >= static_cast<size_t>(std::max(0, picture.width)) * picture.height;
  // Each device pixel takes the picture's pixel under its centre, as a scaled copy does.
  const auto source = [scale](int p, double offset, int size) {
    const double at = std::floor((p + 0.5 - offset) / scale);
    return at >= 0 && at < size ? static_cast<int>(at) : -1;
  };
  std::vector<int> column(static_cast<size_t>(surface_.width));
  for (int x = 0; x < surface_.width; ++x)
    column[static_cast<size_t>(x)] = whole ? source(x, offsetX, picture.width) : -1;
  for (int y = 0; y < surface_.height; ++y) {
    gdi::COLORREF* out = surface_.pixels.data() + static_cast<size_t>(y) * surface_.width;
    const int row = whole ? source(y, offsetY, picture.height) : -1;
    if (row < 0) {
      std::fill(out, out + surface_.width, background);
      continue;
    }
    const gdi::COLORREF* in = picture.pixels.data() + static_cast<size_t>(row) * picture.width;
    for (int x = 0; x < surface_.width; ++x) {
      const int c = column[static_cast<size_t>(x)];
      out[x] = c < 0 ? background : in[c];
    }
  }
  ++previews_;
  repaint();
}

void SurfaceWindow::resizeEvent(QResizeEvent* e) {
  FitSurface();
  QWidget::resizeEvent(e);
}

namespace {

uintptr_t KeyState(const QMouseEvent* e) {
  uintptr_t state = 0;
  if (e->buttons() & Qt::LeftButton) state |= MK_LBUTTON;
  if (e->buttons() & Qt::RightButton) state |= MK_RBUTTON;
  if (e->buttons() & Qt::MiddleButton) state |= MK_MBUTTON;
  if (e->modifiers() & Qt::ShiftModifier) state |= MK_SHIFT;
  if (e->modifiers() & Qt::ControlModifier) state |= MK_CONTROL;
  return state;
}

intptr_t PointOf(const QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  return MakePointParam(p.x(), p.y());
}

}  // namespace

bool SurfaceWindow::ForwardMouse(QMouseEvent* e, uint32_t left, uint32_t right, uint32_t middle) {
  if (!target_) return false;
  uint32_t msg = 0;
  if (e->button() == Qt::LeftButton) msg = left;
  if (e->button() == Qt::RightButton) msg = right;
  if (e->button() == Qt::MiddleButton) msg = middle;
  if (e->type() == QEvent::MouseMove) msg = WM_MOUSEMOVE;
  if (msg == 0) return false;
  e->accept();
  target_->SendMessage(msg, KeyState(e), PointOf(e));
  return true;
}

void SurfaceWindow::mousePressEvent(QMouseEvent* e) {
  if (!ForwardMouse(e, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN)) QWidget::mousePressEvent(e);
}

void SurfaceWindow::mouseReleaseEvent(QMouseEvent* e) {
  if (!ForwardMouse(e, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP)) QWidget::mouseReleaseEvent(e);
}

void SurfaceWindow::mouseDoubleClickEvent(QMouseEvent* e) {
  if (!ForwardMouse(e, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK))
    QWidget::mouseDoubleClickEvent(e);
}

void SurfaceWindow::mouseMoveEvent(QMouseEvent* e) {
  if (!ForwardMouse(e, 0, 0, 0)) QWidget::mouseMoveEvent(e);
}

void SurfaceWindow::wheelEvent(QWheelEvent* e) {
  if (!target_ || e->angleDelta().y() == 0) return QWidget::wheelEvent(e);
  e->accept();
  const QPoint p = e->position().toPoint();
  target_->SendMessage(WM_MOUSEWHEEL,
                       static_cast<uintptr_t>(static_cast<intptr_t>(e->angleDelta().y())),
                       MakePointParam(p.x(), p.y()));
}

void SurfaceWindow::leaveEvent(QEvent* e) {
  // The pointer went on to the window's frame or beyond: no longer over the client area.
  if (target_) target_->SendMessage(WM_NCMOUSEMOVE, 0, 0);
  QWidget::leaveEvent(e);
}

void SurfaceWindow::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  if (target_) target_->SendMessage(WM_SETFOCUS, 0, 0);
}

}  // namespace platform::qt
