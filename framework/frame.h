// Frames and MDI: TFrameWindow (a top-level QMainWindow), TDecoratedMDIFrame with its
// TMDIClient (a QMdiArea), bars, menu and accelerators, and the TMDIChild windows inside.
#pragma once

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <string>
#include <vector>

#include "framework/gadgets.h"
#include "framework/resources.h"
#include "framework/window.h"

namespace framework {

class TMDIChild;

class TFrameWindow : public QMainWindow, public TWindow {
 public:
  explicit TFrameWindow(const std::string& title);
  ~TFrameWindow() override;

  // Set-up once the window exists, before it is shown the first time.
  virtual void SetupWindow() {}
  // Asked before the frame closes; false keeps it open.
  virtual bool CanClose() { return true; }
  // The class name other programs find the window by.
  virtual std::string GetClassName() const { return "TFrameWindow"; }

  void AssignMenu(const TMenuResource& menu, TStringLoader hints);
  void SetAccelerators(const TAccelResource& table) { accelerators_ = table; }
  // The command of a key press, or 0.
  uint32_t TranslateAccelerator(int key, Qt::KeyboardModifiers modifiers) const;
  QAction* MenuAction(uint32_t id) const;
  // Runs the enablers of every menu item and bar button.
  void UpdateCommandStates();
  // The command chain: active child, client, frame, application.
  bool RouteCommand(uint32_t id) override;
  bool RouteEnable(TCommandEnabler& ce);

  // The status bar of a decorated frame, or null: menu and button hints go there.
  virtual TStatusBar* HintBar() const { return nullptr; }
  virtual TControlBar* ToolBar() const { return nullptr; }

 protected:
  virtual TEventHandler* ActiveChild() const { return nullptr; }
  virtual TEventHandler* Client() const { return nullptr; }
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;
  // Extra items of a popup when it opens (the Window popup lists the MDI children).
  virtual void PopupOpening(QMenu*) {}
  std::string HintFor(uint32_t id) const { return hints_ && id ? hints_(id) : std::string(); }

 private:
  void ShowHint(uint32_t id);
  TStringLoader hints_ = nullptr;
  TAccelResource accelerators_;
  std::vector<std::pair<uint32_t, QAction*>> actions_;
  bool setUp_ = false;
};

class TMDIClient : public QMdiArea, public TWindow {
 public:
  TMDIClient();
  ~TMDIClient() override;
  TMDIChild* GetActiveMDIChild() const;
  std::vector<TMDIChild*> Children() const;
  void CloseChildren();
  void CascadeChildren();
  void TileChildren(bool horizontal);
  void ArrangeIcons();
  virtual void SetupWindow() {}

  // Tiling never makes a window smaller than this.
  static constexpr int kMinTileWidth = 160;
  static constexpr int kMinTileHeight = 120;

 protected:
  void scrollContentsBy(int dx, int dy) override;
  bool viewportEvent(QEvent* e) override;

 private:
  QPoint ScrollOffset() const;
  void KeepIconsInContent();
  int CascadeStep() const;
  void CascadeWindows(const std::vector<TMDIChild*>& list, QSize size);
};

class TDecoratedMDIFrame : public TFrameWindow {
 public:
  TDecoratedMDIFrame(const std::string& title, TMDIClient* client);
  TMDIClient* GetClientWindow() const { return client_; }
  void InsertToolBar(TControlBar* bar);
  void InsertStatusBar(TStatusBar* bar);
  TStatusBar* HintBar() const override { return status_; }
  TControlBar* ToolBar() const override { return toolBar_; }
  // The list of every child (the Window popup's "More Windows..."): the one chosen is activated.
  void ChooseWindow();

 protected:
  TEventHandler* ActiveChild() const override;
  TEventHandler* Client() const override { return client_; }
  void PopupOpening(QMenu* menu) override;

 private:
  TMDIClient* client_;
  TControlBar* toolBar_ = nullptr;
  TStatusBar* status_ = nullptr;
  std::vector<QAction*> windowList_;
};

class TMDIChild : public QMdiSubWindow, public TWindow {
 public:
  TMDIChild(TMDIClient* client, const std::string& title);
  ~TMDIChild() override;
  // Creates the window: set-up, then shown in the client.
  void Create();
  virtual void SetupWindow() {}
  TMDIClient* Client() const { return client_; }
  std::string GetCaption() const;
  void SetCaption(const std::string& caption);
  bool IsIconic() const { return isMinimized(); }
  bool IsZoomed() const { return isMaximized(); }
  // Destroys the window at once, without asking whether it may close.
  void Destroy();
  // The window has been closed or destroyed; the object goes when the event loop next runs.
  bool Closing() const { return closing_; }

 protected:
  // Runs once, when the window closes or is destroyed (the object itself is deleted later).
  virtual void CleanupWindow() {}
  void closeEvent(QCloseEvent* e) override;

 public:
  // Accelerators of the child take a key before the frame's.
  void SetAccelerators(const TAccelResource& table) { accelerators_ = table; }
  uint32_t TranslateAccelerator(int key, Qt::KeyboardModifiers modifiers) const;

 private:
  void Gone();
  TMDIClient* client_;
  TAccelResource accelerators_;
  bool closing_ = false;
};

}  // namespace framework
