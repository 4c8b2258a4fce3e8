// TApplication: the application object. Creates the main window, runs the message loop and
// gives idle processing its turn whenever the queue runs empty.
#pragma once

#include <QObject>
#include <string>

#include "framework/event_handler.h"

namespace framework {

class TFrameWindow;

class TApplication : public QObject, public TEventHandler {
 public:
  // A QApplication must exist already.
  explicit TApplication(const std::string& name);
  ~TApplication() override;
  static TApplication* Instance();

  const std::string& Name() const { return name_; }
  TFrameWindow* GetMainWindow() const { return mainWindow_; }
  void SetMainWindow(TFrameWindow* frame);

  // Creates and shows the main window and hooks idle processing; Run adds the message loop.
  void Start();
  int Run();
  // The main window has closed (or there was none).
  bool Finished() const { return finished_; }
  // The main window is destroyed; the next Start makes a new one.
  void DestroyMainWindow();

 protected:
  virtual void InitMainWindow() {}
  // Runs when the queue is empty; true asks for another turn without waiting for input.
  virtual bool IdleAction(long idleCount);
  // False while idle work may not run (a drawing is in progress).
  virtual bool IdleAllowed() const { return true; }
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Idle();
  std::string name_;
  TFrameWindow* mainWindow_ = nullptr;
  QObject* waker_ = nullptr;
  long idleCount_ = 0;
  bool inIdle_ = false;
  bool finished_ = false;
  bool started_ = false;
};

}  // namespace framework
