#include "framework/frame.h"

#include <QCloseEvent>
#include <QMenu>
#include <QStyle>

#include "framework/application.h"

namespace framework {

namespace {
constexpr uint32_t CM_EXIT = 24310;
constexpr uint32_t CM_CASCADECHILDREN = 24361;
constexpr uint32_t CM_TILECHILDREN = 24362;
constexpr uint32_t CM_TILECHILDRENHORIZ = 24363;
constexpr uint32_t CM_ARRANGEICONS = 24364;
constexpr uint32_t CM_CLOSECHILDREN = 24365;
constexpr uint32_t kFirstWindowListId = 0xFF00;

QString MenuText(const char* text) {
  // A leading backspace right-aligns a popup on other systems. Here the menu bar's right corner
  // holds a maximised child's buttons, which would hide the popup, so it stays in line.
  if (text && *text == '\b') ++text;
  return QString::fromLocal8Bit(text ? text : "");
}
}  // namespace

// ---- TFrameWindow ------------------------------------------------------------------------

TFrameWindow::TFrameWindow(const std::string& title) : TWindow(this) {
  setWindowTitle(QString::fromLocal8Bit(title.c_str()));
  DefineResponseTable({OnCommand(CM_EXIT, [this] { close(); })});
}

TFrameWindow::~TFrameWindow() = default;

void TFrameWindow::AssignMenu(const TMenuResource& menu, TStringLoader hints) {
  hints_ = hints;
  QMenuBar* bar = menuBar();
  bar->clear();
  actions_.clear();
  QMenu* popup = nullptr;
  const char* popupTitle = nullptr;
  for (const TMenuItem& item : menu) {
    if (!popup || std::string(popupTitle) != item.popup) {
      popupTitle = item.popup;
      popup = bar->addMenu(MenuText(item.popup));
      QObject::connect(popup, &QMenu::aboutToShow, [this, popup] {
        PopupOpening(popup);
        UpdateCommandStates();
      });
      QObject::connect(popup, &QMenu::aboutToHide, [this] {
        if (TStatusBar* s = HintBar()) s->SetHintText("");
      });
      QObject::connect(popup, &QMenu::hovered,
                       [this](QAction* a) { ShowHint(a->data().toUInt()); });
    }
    if (item.id == 0) {
      popup->addSeparator();
      continue;
    }
    QAction* action = popup->addAction(MenuText(item.text));
    action->setData(item.id);
    action->setCheckable(item.checkable);
    const uint32_t id = item.id;
    QObject::connect(action, &QAction::triggered, [this, id] { RouteCommand(id); });
    actions_.push_back({id, action});
  }
}

QAction* TFrameWindow::MenuAction(uint32_t id) const {
  for (auto& [actionId, action] : actions_)
    if (actionId == id) return action;
  return nullptr;
}

void TFrameWindow::ShowHint(uint32_t id) {
  TStatusBar* s = HintBar();
  if (!s) return;
  s->SetHintText(HintFor(id));
}

uint32_t TFrameWindow::TranslateAccelerator(int key, Qt::KeyboardModifiers modifiers) const {
  modifiers &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
  for (const TAccel& a : accelerators_)
    if (a.key == key && a.modifiers == modifiers) return a.command;
  return 0;
}

bool TFrameWindow::RouteCommand(uint32_t id) {
  if (TEventHandler* child = ActiveChild(); child && child->DoCommand(id)) return true;
  if (TEventHandler* client = Client(); client && client->DoCommand(id)) return true;
  if (DoCommand(id)) return true;
  TApplication* app = TApplication::Instance();
  return app && app->DoCommand(id);
}

bool TFrameWindow::RouteEnable(TCommandEnabler& ce) {
  if (TEventHandler* child = ActiveChild(); child && child->DoEnable(ce)) return true;
  if (TEventHandler* client = Client(); client && client->DoEnable(ce)) return true;
  if (DoEnable(ce)) return true;
  TApplication* app = TApplication::Instance();
  return app && app->DoEnable(ce);
}

void TFrameWindow::UpdateCommandStates() {
  for (auto& [id, action] : actions_) {
    TCommandEnabler ce(id);
    RouteEnable(ce);
    if (action->isEnabled() != ce.Enabled) action->setEnabled(ce.Enabled);
    if (ce.Check >= 0) {
      action->setCheckable(true);
      action->setChecked(ce.Check == 1);
    }
  }
  if (TControlBar* bar = ToolBar()) {
    for (TGadget* g : bar->Gadgets()) {
      auto* b = dynamic_cast<TButtonGadget*>(g);
      if (!b) continue;
      TCommandEnabler ce(b->CommandId());
      RouteEnable(ce);
      b->SetEnabled(ce.Enabled);
      if (ce.Check >= 0 && b->Type() == TButtonGadget::NonExclusive)
        b->SetButtonState(ce.Check == 1);
    }
  }
}

void TFrameWindow::closeEvent(QCloseEvent* e) {
  if (CanClose()) {
    e->accept();
  } else {
    e->ignore();
  }
}

void TFrameWindow::showEvent(QShowEvent* e) {
  if (!setUp_) {
    setUp_ = true;
    SetupWindow();
  }
  QMainWindow::showEvent(e);
}

// ---- TMDIClient --------------------------------------------------------------------------

TMDIClient::TMDIClient() : TWindow(this) {
  auto anyChild = [this](TCommandEnabler& ce) { ce.Enable(!Children().empty()); };
  DefineResponseTable({
      OnEnable(CM_CASCADECHILDREN, anyChild),
      OnEnable(CM_TILECHILDREN, anyChild),
      OnEnable(CM_TILECHILDRENHORIZ, anyChild),
      OnEnable(CM_ARRANGEICONS, anyChild),
      OnEnable(CM_CLOSECHILDREN, anyChild),
      OnCommand(CM_CASCADECHILDREN, [this] { CascadeChildren(); }),
      OnCommand(CM_TILECHILDREN, [this] { TileChildren(false); }),
      OnCommand(CM_TILECHILDRENHORIZ, [this] { TileChildren(true); }),
      OnCommand(CM_ARRANGEICONS, [this] { ArrangeIcons(); }),
      OnCommand(CM_CLOSECHILDREN, [this] { CloseChildren(); }),
  });
}

TMDIClient::~TMDIClient() = default;

TMDIChild* TMDIClient::GetActiveMDIChild() const {
  return dynamic_cast<TMDIChild*>(activeSubWindow());
}

std::vector<TMDIChild*> TMDIClient::Children() const {
  std::vector<TMDIChild*> out;
  for (QMdiSubWindow* w : subWindowList(QMdiArea::CreationOrder))
    if (auto* c = dynamic_cast<TMDIChild*>(w); c && !c->Closing()) out.push_back(c);
  return out;
}

void TMDIClient::CloseChildren() {
  for (TMDIChild* c : Children()) c->close();
}

void TMDIClient::TileChildren(bool horizontal) {
  std::vector<TMDIChild*> list;
  for (TMDIChild* c : Children())
    if (!c->isMinimized()) list.push_back(c);
  if (list.empty()) return;
  // Side by side (vertical tiling) or stacked (horizontal), each getting an equal share.
  const int n = static_cast<int>(list.size());
  const QRect area = viewport()->rect();
  for (int i = 0; i < n; ++i) {
    if (list[i]->isMaximized()) list[i]->showNormal();
    QRect r = horizontal ? QRect(0, area.height() * i / n, area.width(),
                                 area.height() * (i + 1) / n - area.height() * i / n)
                         : QRect(area.width() * i / n, 0,
                                 area.width() * (i + 1) / n - area.width() * i / n, area.height());
    list[i]->setGeometry(r);
  }
}

void TMDIClient::CascadeChildren() {
  std::vector<TMDIChild*> list;
  for (TMDIChild* c : Children())
    if (!c->isMinimized()) list.push_back(c);
  if (list.empty()) return;
  // Each window one title bar below and right of the one before, all of one size that leaves
  // every title bar in sight: never the size they had (tiled windows may be tiny).
  const QRect area = viewport()->rect();
  const int step = std::max(style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this), 16);
  const int n = static_cast<int>(list.size());
  const int w = std::max(area.width() - step * (n - 1), area.width() * 2 / 3);
  const int h = std::max(area.height() - step * (n - 1), area.height() * 2 / 3);
  // Past the space left by that size, the staircase starts again at the top.
  const int perRun =
      std::max(1, std::min((area.width() - w) / step, (area.height() - h) / step) + 1);
  for (int i = 0; i < n; ++i) {
    if (list[i]->isMaximized()) list[i]->showNormal();
    const int k = i % perRun;
    list[i]->setGeometry(area.left() + k * step, area.top() + k * step, w, h);
    list[i]->raise();
  }
}

void TMDIClient::ArrangeIcons() {
  // Left to right along the bottom, then row above row when a row is full.
  int x = 0;
  int bottom = viewport()->height();
  const int width = viewport()->width();
  for (TMDIChild* c : Children()) {
    if (!c->isMinimized()) continue;
    if (x > 0 && x + c->width() > width) {
      x = 0;
      bottom -= c->height();
    }
    c->move(x, bottom - c->height());
    x += c->width();
  }
}

// ---- TDecoratedMDIFrame ------------------------------------------------------------------

TDecoratedMDIFrame::TDecoratedMDIFrame(const std::string& title, TMDIClient* client)
    : TFrameWindow(title), client_(client) {
  setCentralWidget(client);
}

void TDecoratedMDIFrame::InsertToolBar(TControlBar* bar) {
  toolBar_ = bar;
  bar->OnCommand = [this](uint32_t id) { RouteCommand(id); };
  bar->OnHint = [this](uint32_t id, bool entered) {
    if (status_) status_->SetHintText(entered ? HintFor(id) : std::string());
  };
  addToolBar(Qt::TopToolBarArea, bar);
}

void TDecoratedMDIFrame::InsertStatusBar(TStatusBar* bar) {
  status_ = bar;
  setStatusBar(bar);
}

TEventHandler* TDecoratedMDIFrame::ActiveChild() const {
  return client_ ? client_->GetActiveMDIChild() : nullptr;
}

void TDecoratedMDIFrame::PopupOpening(QMenu* menu) {
  // The Window popup (the one with Cascade) lists the children after its own items.
  bool isWindowPopup = false;
  for (QAction* a : menu->actions())
    if (a->data().toUInt() == CM_CASCADECHILDREN) isWindowPopup = true;
  if (!isWindowPopup) return;
  for (QAction* a : windowList_) {
    menu->removeAction(a);
    delete a;
  }
  windowList_.clear();
  std::vector<TMDIChild*> children = client_->Children();
  if (children.empty()) return;
  windowList_.push_back(menu->addSeparator());
  int n = 1;
  for (TMDIChild* c : children) {
    QAction* a = menu->addAction(QString("&%1 %2").arg(n++).arg(c->windowTitle()));
    a->setCheckable(true);
    a->setChecked(c == client_->GetActiveMDIChild());
    QObject::connect(a, &QAction::triggered, [this, c] {
      for (TMDIChild* live : client_->Children())
        if (live == c) client_->setActiveSubWindow(c);
    });
    windowList_.push_back(a);
  }
}

// ---- TMDIChild ---------------------------------------------------------------------------

TMDIChild::TMDIChild(TMDIClient* client, const std::string& title)
    : TWindow(this), client_(client) {
  setAttribute(Qt::WA_DeleteOnClose);
  SetCaption(title);
}

TMDIChild::~TMDIChild() = default;

void TMDIChild::Create() {
  client_->addSubWindow(this);
  SetupWindow();
  show();
}

std::string TMDIChild::GetCaption() const {
  return windowTitle().toLocal8Bit().toStdString();
}

void TMDIChild::SetCaption(const std::string& caption) {
  setWindowTitle(QString::fromLocal8Bit(caption.c_str()));
}

void TMDIChild::Destroy() {
  if (closing_) return;
  hide();
  Gone();
  deleteLater();
}

void TMDIChild::closeEvent(QCloseEvent* e) {
  QMdiSubWindow::closeEvent(e);
  if (e->isAccepted() && !closing_) Gone();
}

void TMDIChild::Gone() {
  // Out of the client's list at once: counts and arrangements after a close-all see only
  // the windows that stay.
  closing_ = true;
  CleanupWindow();
  // A closed window may already be out of the area's list (Qt drops it on its own close).
  if (client_->subWindowList().contains(this)) client_->removeSubWindow(this);
}

uint32_t TMDIChild::TranslateAccelerator(int key, Qt::KeyboardModifiers modifiers) const {
  modifiers &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
  for (const TAccel& a : accelerators_)
    if (a.key == key && a.modifiers == modifiers) return a.command;
  return 0;
}

}  // namespace framework
