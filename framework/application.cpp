#include "framework/application.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include "framework/frame.h"

namespace framework {

namespace {
TApplication* gApplication = nullptr;
}

TApplication::TApplication(const std::string& name) : name_(name) {
  gApplication = this;
  waker_ = new QObject(this);
  qApp->installEventFilter(this);
}

TApplication::~TApplication() {
  qApp->removeEventFilter(this);
  DestroyMainWindow();
  if (gApplication == this) gApplication = nullptr;
}

TApplication* TApplication::Instance() {
  return gApplication;
}

void TApplication::SetMainWindow(TFrameWindow* frame) {
  mainWindow_ = frame;
}

void TApplication::DestroyMainWindow() {
  delete mainWindow_;
  mainWindow_ = nullptr;
}

void TApplication::Start() {
  if (!started_) {
    started_ = true;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     this, [this] { Idle(); });
  }
  finished_ = false;
  InitMainWindow();
  if (!mainWindow_) {
    finished_ = true;
    return;
  }
  mainWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
  QObject::connect(mainWindow_, &QObject::destroyed, this, [this] {
    mainWindow_ = nullptr;
    finished_ = true;
  });
  mainWindow_->show();
}

int TApplication::Run() {
  Start();
  if (finished_) return 0;
  // The loop ends when the main window has closed; it stays alive until the caller is done.
  QApplication::setQuitOnLastWindowClosed(true);
  const int status = QApplication::exec();
  finished_ = true;
  return status;
}

bool TApplication::IdleAction(long) {
  if (mainWindow_ && mainWindow_->isVisible()) mainWindow_->UpdateCommandStates();
  return false;
}

void TApplication::Idle() {
  if (inIdle_ || !mainWindow_ || !IdleAllowed()) return;
  inIdle_ = true;
  const bool more = IdleAction(idleCount_);
  inIdle_ = false;
  if (more) {
    ++idleCount_;
    // Something must be in the queue, or the loop would sleep until the next input.
    QTimer::singleShot(0, waker_, [] {});
  } else {
    idleCount_ = 0;
  }
}

bool TApplication::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
    // Accelerators: the active child's table first, then the frame's.
    auto* key = static_cast<QKeyEvent*>(event);
    QWidget* w = static_cast<QWidget*>(watched);
    auto* frame = dynamic_cast<TFrameWindow*>(w->window());
    if (frame && frame == mainWindow_) {
      uint32_t command = 0;
      for (QWidget* p = w; p && !command; p = p->parentWidget())
        if (auto* child = dynamic_cast<TMDIChild*>(p))
          command = child->TranslateAccelerator(key->key(), key->modifiers());
      if (!command) command = frame->TranslateAccelerator(key->key(), key->modifiers());
      if (command) {
        TCommandEnabler ce(command);
        frame->RouteEnable(ce);
        if (ce.Enabled) frame->RouteCommand(command);
        return true;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace framework
