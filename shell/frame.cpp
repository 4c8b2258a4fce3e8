#include "shell/frame.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "dialogs/about.h"
#include "dialogs/export_picture.h"
#include "dialogs/help_viewer.h"
#include "dialogs/slide_save_as.h"
#include "framework/dialog.h"
#include "platform/exten.h"
#include "render/acacol.h"
#include "resources/resources.h"
#include "shell/child.h"
#include "shell/shell_state.h"
#include "slide/ciclo.h"

namespace lanterna {

using framework::TButtonGadget;
using framework::TControlBar;
using framework::TSeparatorGadget;

// ---- TMyWindow -----------------------------------------------------------------------------

TMyWindow::TMyWindow() {
  using namespace res;
  auto anyWindow = [](framework::TCommandEnabler& ce) { ce.Enable(Shell().ChildCount != 0); };
  auto showEnabler = [](framework::TCommandEnabler& ce) {
    ce.Enable(Shell().ChildCount > 1);
    if (!Shell().SlideShowOn && Shell().SlideShowButton)
      Shell().SlideShowButton->SetButtonState(false);
  };
  DefineResponseTable({
      // Close-all arrives as a message too (posted when an open request is deferred).
      OnMessage(CM_CLOSECHILDREN,
                [this](uintptr_t, intptr_t) {
                  CloseChildren();
                  return 0;
                }),
      OnMessage(WM_SCREENSLIDES,
                [this](uintptr_t, intptr_t lParam) {
                  ListSlideWindows(reinterpret_cast<QListWidget*>(lParam));
                  return 0;
                }),
      OnCommand(CM_ICONIZEALL, [this] { CmIconizeAll(); }),
      OnCommand(CM_RESTOREALL, [this] { CmRestoreAll(); }),
      OnCommand(CM_ENLARGEPREV, [this] { CmEnlarge(true); }),
      OnCommand(CM_ENLARGENEXT, [this] { CmEnlarge(false); }),
      OnCommand(CM_TILECHILDREN, [this] { CmTile(false); }),
      OnCommand(CM_TILECHILDRENHORIZ, [this] { CmTile(true); }),
      OnCommand(CM_AUTOCLOSE, [this] { CmAutoClose(); }),
      OnCommand(CM_SLIDESHOWDELAY, [this] { CmSlideShowDelay(); }),
      OnCommand(CM_MEMBERNAMES, [this] { CmMemberNames(); }),
      OnCommand(CM_BROWSELIBRARY, [this] { CmBrowseLibrary(); }),
      OnCommand(CM_BLACKBACKGROUND, [this] { CmBlackBackground(); }),
      OnEnable(CM_BLACKBACKGROUND,
               [](framework::TCommandEnabler& ce) {
                 ce.Enable();
                 ce.SetCheck(Shell().BlackBackground ? 1 : 0);
               }),
      OnCommand(CM_LIBRARYVIEW, [] { Shell().LibraryView = Shell().LibraryView ? 0 : 1; }),
      OnEnable(CM_LIBRARYVIEW,
               [](framework::TCommandEnabler& ce) {
                 ce.Enable();
                 ce.SetCheck(Shell().LibraryView ? 1 : 0);
               }),
      OnCommand(CM_NEXTWINDOW, [this] { activateNextSubWindow(); }),
      OnCommand(CM_PREVWINDOW, [this] { activatePreviousSubWindow(); }),
      OnCommand(CM_SLIDESHOW, [this] { CmSlideShow(true); }),
      OnCommand(CM_SLIDESHOWBUTTON, [this] { CmSlideShow(false); }),
      OnCommand(CM_CONVERTDXF, [this] { CmConvertToDxf(this, ActiveSlide()); }),
      OnCommand(CM_EXPORTPICTURE, [this] { CmExportPicture(this, ActiveSlide()); }),
      OnEnable(CM_ICONIZEALL, anyWindow),
      OnEnable(CM_RESTOREALL, anyWindow),
      OnEnable(CM_ENLARGEPREV, anyWindow),
      OnEnable(CM_ENLARGENEXT, anyWindow),
      OnEnable(CM_CONVERTDXF, anyWindow),
      OnEnable(CM_EXPORTPICTURE, anyWindow),
      OnEnable(CM_SLIDESHOW, showEnabler),
      OnEnable(CM_SLIDESHOWBUTTON, showEnabler),
      OnEnable(CM_AUTOCLOSE,
               [](framework::TCommandEnabler& ce) {
                 ce.Enable();
                 ce.SetCheck(Shell().AutoClose == 1 ? 1 : 0);
               }),
  });
}

void TMyWindow::ListSlideWindows(QListWidget* list) {
  framework::TListBox box(list);
  for (TMyChild* c : SlideWindows()) {
    std::string entry = c->FileName(), shown = entry;
    if (c->MemberName()[0]) {
      entry += std::string(",") + c->MemberName();
      shown += "," + ShownMemberName(c->MemberName());
    }
    box.AddString(shown, entry);
  }
}

TMyWindow::~TMyWindow() {
  if (Shell().Client == this) Shell().Client = nullptr;
}

void TMyWindow::SetupWindow() {
  Shell().Client = this;
  viewport()->setCursor(res::LoadCursor("CUR_MANO"));
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setBackground(QColor(255, 255, 255));
}

std::vector<TMyChild*> TMyWindow::SlideWindows() const {
  std::vector<TMyChild*> out;
  for (framework::TMDIChild* c : Children())
    if (auto* s = dynamic_cast<TMyChild*>(c)) out.push_back(s);
  return out;
}

TMyChild* TMyWindow::ActiveSlide() const {
  return dynamic_cast<TMyChild*>(GetActiveMDIChild());
}

void TMyWindow::RepaintAll() {
  ShellState& s = Shell();
  if (s.SlideShowOn) return;
  s.PaintEnabled = true;
  if (InterruptCause() & kInterruptMouse) return;
  for (TMyChild* c : SlideWindows()) c->Invalidate();
}

void TMyWindow::mousePressEvent(QMouseEvent* e) {
  // Dragging the empty client area moves the whole frame.
  if (e->button() == Qt::LeftButton && window()->windowHandle()) {
    window()->windowHandle()->startSystemMove();
    return;
  }
  TMDIClient::mousePressEvent(e);
}

void TMyWindow::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && Shell().Frame) {
    platform::MessageBeep(static_cast<unsigned>(-1));
    QApplication::beep();
    Shell().Frame->ToggleMaximized();
    return;
  }
  TMDIClient::mouseDoubleClickEvent(e);
}

void TMyWindow::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton && Shell().Frame) {
    TMyFrame* frame = Shell().Frame;
    QMetaObject::invokeMethod(
        frame, [frame] { frame->ToggleMaximized(); }, Qt::QueuedConnection);
    return;
  }
  TMDIClient::mouseReleaseEvent(e);
}

void TMyWindow::paintEvent(QPaintEvent* e) {
  Shell().FirstPaintPending = false;
  TMDIClient::paintEvent(e);
}

// ---- TMyFrame ------------------------------------------------------------------------------

TMyFrame::TMyFrame(const std::string& title, TMyWindow* client)
    : TDecoratedMDIFrame(title, client) {
  Shell().Frame = this;
  DefineResponseTable({
      OnMessage(WM_OPENBYNAME,
                [](uintptr_t wParam, intptr_t lParam) {
                  OpenByName(wParam, reinterpret_cast<const char*>(lParam));
                  return 0;
                }),
      OnMessage(WM_OPENQUEUED,
                [](uintptr_t, intptr_t) {
                  OpenNextQueued();
                  return 0;
                }),
      OnCommand(res::CM_HELPINDEX, [this] { WinHelp(this, helpPath_, HELP_INDEX, 0); }),
      OnCommand(res::CM_HELPRENDER, [this] { WinHelp(this, helpPath_, HELP_CONTEXT, 263); }),
      OnCommand(res::CM_HELPSERVER, [this] { WinHelp(this, helpPath_, HELP_CONTEXT, 264); }),
      OnCommand(res::CM_HELPABOUT,
                [this] {
                  LanternaAboutDlg about(this);
                  about.Execute();
                }),
  });
  AssignMenu(res::MainMenu(), res::LoadString);
  setWindowIcon(res::LoadIcon("101"));
}

TMyFrame::~TMyFrame() {
  DestroyAppPalette();
  ShellState& s = Shell();
  if (s.Frame == this) {
    s.Frame = nullptr;
    s.ToolBar = nullptr;
    s.StatusBar = nullptr;
    s.CaptionGadget = s.CountGadget = nullptr;
    s.ZoomButton = s.SlideShowButton = nullptr;
  }
}

void TMyFrame::SetupWindow() {
  ShellState& s = Shell();
  SetAccelerators(res::Accelerators());
  helpPath_ = s.ProgramDir + "LANTERNA.HLP";
  {
    gdi::Bitmap display;
    display.width = display.height = 1;
    display.pixels.assign(1, 0);
    auto dc = gdi::CreateRasterDC(&display, gdi::DeviceCaps::TrueColour());
    CreateAppPalette(dc.get());
  }
  GetClientWindow()->SetupWindow();

  KeepBarsWhole();
  // The stored placement (the frame with its decorations), kept on the desktop; on a first
  // start, a size from the desktop rather than a fixed one.
  placement_ = s.SizeStored ? PlacementOnDesktop(QRect(s.XPos, s.YPos, s.WPos, s.HPos), Desktop())
                            : FirstPlacement(Desktop());
  placementPending_ = true;
  ApplyPlacement();
  WatchForDecorations(20);

  setWindowIcon(res::LoadIcon("101"));
  setCursor(res::LoadCursor("CUR_MANO"));
  PostMessage(WM_OPENBYNAME, kOpenFromOutside, reinterpret_cast<intptr_t>(s.CommandLine.c_str()));
  setAcceptDrops(true);
}

void TMyFrame::PopupOpening(QMenu* menu) {
  TDecoratedMDIFrame::PopupOpening(menu);
  // The File menu lists the recent files above Exit, numbered for the keyboard.
  QAction* exit = nullptr;
  for (QAction* a : menu->actions())
    if (a->data().toUInt() == res::CM_EXIT) exit = a;
  if (!exit) return;
  for (QAction* a : recentActions_) menu->removeAction(a), a->deleteLater();
  recentActions_.clear();
  const std::vector<std::string>& recent = Shell().RecentFiles;
  for (size_t i = 0; i < recent.size(); ++i) {
    const std::string path = recent[i];
    auto* a =
        new QAction(QString("&%1 %2").arg(i + 1).arg(QString::fromLocal8Bit(path.c_str())), menu);
    QObject::connect(a, &QAction::triggered, this, [this, path] {
      SendMessage(WM_OPENBYNAME, 0, reinterpret_cast<intptr_t>(path.c_str()));
    });
    menu->insertAction(exit, a);
    recentActions_.push_back(a);
  }
  if (!recent.empty()) {
    QAction* line = new QAction(menu);
    line->setSeparator(true);
    menu->insertAction(exit, line);
    recentActions_.push_back(line);
  }
}

bool TMyFrame::CanClose() {
  // Never more than the desktop: a frame grown by late decorations would open off it next time.
  const QRect saved = PlacementOnDesktop(placement_, Desktop());
  ShellState& s = Shell();
  s.XPos = saved.x();
  s.YPos = saved.y();
  s.WPos = saved.width();
  s.HPos = saved.height();
  return true;
}

void TMyFrame::ToggleMaximized() {
  if (isMaximized()) {
    showNormal();
  } else {
    showMaximized();
  }
}

QRect PlacementOnDesktop(QRect frame, const QRect& desktop) {
  // Shrunk to the desktop first (a bigger monitor earlier, another scale), then moved onto it:
  // the title bar, menus and tool bar must stay reachable.
  frame.setWidth(std::clamp(frame.width(), 1, std::max(desktop.width(), 1)));
  frame.setHeight(std::clamp(frame.height(), 1, std::max(desktop.height(), 1)));
  const int x = std::min(frame.x(), desktop.x() + desktop.width() - frame.width());
  const int y = std::min(frame.y(), desktop.y() + desktop.height() - frame.height());
  frame.moveTo(std::max(x, desktop.x()), std::max(y, desktop.y()));
  return frame;
}

QRect FirstPlacement(const QRect& desktop) {
  const QSize size(desktop.width() * 2 / 3, desktop.height() * 2 / 3);
  return QRect(desktop.x() + (desktop.width() - size.width()) / 2,
               desktop.y() + (desktop.height() - size.height()) / 2, size.width(), size.height());
}

QRect ClientForPlacement(const QRect& frame, const QMargins& decorations, const QRect& desktop) {
  const QRect placed = PlacementOnDesktop(frame, desktop);
  const QRect client = placed - decorations;
  return QRect(client.topLeft(), client.size().expandedTo(QSize(1, 1)));
}

QRect TMyFrame::Desktop() const {
  return screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
}

void TMyFrame::KeepBarsWhole() {
  // Never narrower than the tool bar with every button, nor than the status bar with its first
  // text whole, at whatever fonts and style are in use.
  int width = 0;
  if (TControlBar* bar = ToolBar()) width = std::max(width, bar->sizeHint().width());
  if (framework::TStatusBar* bar = HintBar()) width = std::max(width, bar->sizeHint().width());
  setMinimumWidth(width);
}

void TMyFrame::ApplyPlacement() {
  // The frame's outer corner goes where it was, not its client area, with the decorations the
  // window manager has told so far; when it tells others, the placement is applied again.
  appliedMargins_ = FrameMargins();
  // A stored size smaller than the bars need (older fonts) grows to what they need.
  QRect stored = placement_;
  stored.setSize(stored.size().expandedTo(
      minimumSize().expandedTo(minimumSizeHint()).grownBy(appliedMargins_)));
  const QRect wanted = PlacementOnDesktop(stored, Desktop());
  const QRect client = ClientForPlacement(wanted, appliedMargins_, Desktop());
  applying_ = true;
  move(wanted.topLeft());
  resize(client.size());
  applying_ = false;
  placement_ = wanted;
}

void TMyFrame::WatchForDecorations(int triesLeft) {
  // The window manager tells its decorations some time after the frame is shown, not always
  // with an event of ours; without a window manager there are none and the placement stands.
  QTimer::singleShot(50, this, [this, triesLeft] {
    if (!placementPending_) return;
    if (FollowDecorations()) return;
    if (triesLeft > 1) {
      WatchForDecorations(triesLeft - 1);
    } else {
      placementPending_ = false;  // none yet: the frame is where it was stored
    }
  });
}

bool TMyFrame::FollowDecorations() {
  // A window manager slow to start tells its decorations after the watch gave up: recording the
  // frame they grew would put it partly off the desktop, so the placement is applied again.
  if (applying_ || !isVisible() || isMinimized() || isMaximized() || isFullScreen()) return false;
  if (FrameMargins() == appliedMargins_) return false;
  placementPending_ = false;
  ApplyPlacement();
  return true;
}

QMargins TMyFrame::FrameMargins() const {
  const QRect outer = frameGeometry(), inner = geometry();
  return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                  outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

void TMyFrame::RecordPlacement() {
  if (applying_ || placementPending_ || !isVisible() || isMinimized() || isMaximized()) return;
  placement_ = frameGeometry();
}

void TMyFrame::moveEvent(QMoveEvent* e) {
  TDecoratedMDIFrame::moveEvent(e);
  if (!FollowDecorations()) RecordPlacement();
}

void TMyFrame::resizeEvent(QResizeEvent* e) {
  TDecoratedMDIFrame::resizeEvent(e);
  if (!FollowDecorations()) RecordPlacement();
}

// ---- bars ----------------------------------------------------------------------------------

TMyControlBar* BuildToolBar(TMyFrame* frame) {
  framework::SetGadgetBitmapLoader(res::ButtonBitmap);
  auto* bar = new TMyControlBar(frame);
  using namespace res;
  auto button = [](uint32_t id) { return new TButtonGadget(id, id); };
  bar->Insert(new TMyButtonGadget(CM_FILEOPEN, CM_FILEOPEN, TButtonGadget::Command, true));
  bar->Insert(button(CM_BROWSELIBRARY));
  bar->Insert(new TSeparatorGadget(6));
  bar->Insert(new TMyButtonGadget(CM_TILECHILDREN, CM_TILECHILDREN));
  bar->Insert(button(CM_TILECHILDRENHORIZ));
  bar->Insert(new TSeparatorGadget(6));
  bar->Insert(button(CM_ICONIZEALL));
  bar->Insert(button(CM_RESTOREALL));
  bar->Insert(new TSeparatorGadget(6));
  bar->Insert(button(CM_ENLARGEPREV));
  auto* show =
      new TButtonGadget(CM_SLIDESHOWBUTTON, CM_SLIDESHOWBUTTON, TButtonGadget::NonExclusive);
  bar->Insert(show);
  bar->Insert(button(CM_ENLARGENEXT));
  bar->Insert(new TSeparatorGadget(6));
  bar->Insert(button(CM_REDRAW));
  auto* stop = button(CM_STOPDRAWING);
  bar->Insert(stop);
  bar->Insert(new TSeparatorGadget(1));
  auto* zoom = new TButtonGadget(CM_ZOOM, CM_ZOOM, TButtonGadget::NonExclusive);
  bar->Insert(zoom);
  bar->Insert(new TSeparatorGadget(18));
  bar->Insert(button(CM_CLOSECHILDREN));
  bar->Insert(button(CM_EXIT));
  bar->setObjectName("32041");
  Shell().ToolBar = bar;
  Shell().ZoomButton = zoom;
  Shell().StopButton = stop;
  Shell().SlideShowButton = show;
  return bar;
}

framework::TStatusBar* BuildStatusBar(TMyFrame* frame) {
  auto* bar = new framework::TStatusBar(frame);
  auto* info = new TButtonGadget(res::CM_SLIDEINFO, res::CM_SLIDEINFO);
  info->OnPressed = [frame](uint32_t id) { frame->RouteCommand(id); };
  bar->Insert(info);
  auto* caption = new framework::TTextGadget(23);
  auto* count = new framework::TTextGadget(5, true);
  bar->Insert(caption);
  bar->Insert(count);
  Shell().StatusBar = bar;
  Shell().CaptionGadget = caption;
  Shell().CountGadget = count;
  return bar;
}

}  // namespace lanterna
