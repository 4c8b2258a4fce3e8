#include "framework/frame.h"

#include <QCloseEvent>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "framework/application.h"
#include "framework/window_list.h"

namespace framework {

namespace {
constexpr uint32_t CM_EXIT = 24310;
constexpr uint32_t CM_CASCADECHILDREN = 24361;
constexpr uint32_t CM_TILECHILDREN = 24362;
constexpr uint32_t CM_TILECHILDRENHORIZ = 24363;
constexpr uint32_t CM_ARRANGEICONS = 24364;
constexpr uint32_t CM_CLOSECHILDREN = 24365;
// The Window popup lists this many children; the rest are reached through "More Windows...".
constexpr size_t kListedWindows = 9;

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
  // Icons and windows past the edges (a library opens one per member) stay within reach.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
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
  // Side by side (vertical tiling) or stacked (horizontal), each getting an equal share; when
  // strips would be narrower than a usable window, a grid of rows (or columns) instead. No
  // tile is below the minimum: the windows that do not fit are cascaded over the tiles.
  const QRect area = viewport()->rect();
  const int maxColumns = std::max(1, area.width() / kMinTileWidth);
  const int maxRows = std::max(1, area.height() / kMinTileHeight);
  const int n = static_cast<int>(list.size());
  const int tiled = std::min(n, maxColumns * maxRows);
  int columns, rows;
  if (horizontal) {
    columns = (tiled + maxRows - 1) / maxRows;
    rows = (tiled + columns - 1) / columns;
  } else {
    rows = (tiled + maxColumns - 1) / maxColumns;
    columns = (tiled + rows - 1) / rows;
  }
  const int width = std::max(area.width(), kMinTileWidth);
  const int height = std::max(area.height(), kMinTileHeight);
  // Share of a length among parts: each part's start, so that the parts fill it.
  auto edge = [](int length, int part, int parts) { return length * part / parts; };
  for (int i = 0; i < tiled; ++i) {
    if (list[i]->isMaximized()) list[i]->showNormal();
    // Filled row by row (or column by column); the last line shares its length among fewer.
    const int line = horizontal ? i / rows : i / columns;
    const int first = line * (horizontal ? rows : columns);
    const int inLine = std::min(tiled - first, horizontal ? rows : columns);
    const int k = i - first;
    QRect r;
    if (horizontal) {
      r.setLeft(edge(width, line, columns));
      r.setRight(edge(width, line + 1, columns) - 1);
      r.setTop(edge(height, k, inLine));
      r.setBottom(edge(height, k + 1, inLine) - 1);
    } else {
      r.setTop(edge(height, line, rows));
      r.setBottom(edge(height, line + 1, rows) - 1);
      r.setLeft(edge(width, k, inLine));
      r.setRight(edge(width, k + 1, inLine) - 1);
    }
    list[i]->setGeometry(r.translated(area.topLeft()));
  }
  if (tiled == n) return;
  const std::vector<TMDIChild*> rest(list.begin() + tiled, list.end());
  CascadeWindows(rest, QSize(std::max(width / columns, kMinTileWidth),
                             std::max(height / rows, kMinTileHeight)));
}

void TMDIClient::CascadeChildren() {
  std::vector<TMDIChild*> list;
  for (TMDIChild* c : Children())
    if (!c->isMinimized()) list.push_back(c);
  if (list.empty()) return;
  // All of one size that leaves every title bar in sight: never the size they had (tiled
  // windows may be tiny).
  const QRect area = viewport()->rect();
  const int step = CascadeStep();
  const int n = static_cast<int>(list.size());
  const int w = std::max(area.width() - step * (n - 1), area.width() * 2 / 3);
  const int h = std::max(area.height() - step * (n - 1), area.height() * 2 / 3);
  CascadeWindows(list, QSize(w, h));
}

int TMDIClient::CascadeStep() const {
  return std::max(style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this), 16);
}

void TMDIClient::CascadeWindows(const std::vector<TMDIChild*>& list, QSize size) {
  // Each window one title bar below and right of the one before; past the space left by
  // that size, the staircase starts again at the top.
  const QRect area = viewport()->rect();
  const int step = CascadeStep();
  const int perRun = std::max(
      1,
      std::min((area.width() - size.width()) / step, (area.height() - size.height()) / step) + 1);
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i]->isMaximized()) list[i]->showNormal();
    const int k = static_cast<int>(i) % perRun;
    list[i]->setGeometry(area.left() + k * step, area.top() + k * step, size.width(),
                         size.height());
    list[i]->raise();
  }
}

void TMDIClient::scrollContentsBy(int dx, int dy) {
  QMdiArea::scrollContentsBy(dx, dy);
  KeepIconsInContent();
}

bool TMDIClient::viewportEvent(QEvent* e) {
  const bool done = QMdiArea::viewportEvent(e);
  if (e->type() == QEvent::Resize) KeepIconsInContent();
  return done;
}

QPoint TMDIClient::ScrollOffset() const {
  return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TMDIClient::KeepIconsInContent() {
  // The area lays its icons out against the part in sight whenever it scrolls or resizes: they
  // belong to the scrolled content like the windows, or rows of icons above the top could
  // never be scrolled to.
  const QPoint offset = ScrollOffset();
  if (offset.isNull()) return;
  for (TMDIChild* c : Children())
    if (c->isMinimized()) c->move(c->pos() - offset);
}

void TMDIClient::ArrangeIcons() {
  // Left to right along the bottom, then row above row when a row is full (in the content,
  // wherever it is scrolled to).
  const QPoint offset = ScrollOffset();
  int x = 0;
  int bottom = viewport()->height();
  const int width = viewport()->width();
  for (TMDIChild* c : Children()) {
    if (!c->isMinimized()) continue;
    if (x > 0 && x + c->width() > width) {
      x = 0;
      bottom -= c->height();
    }
    c->move(QPoint(x, bottom - c->height()) - offset);
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
  const std::vector<TMDIChild*> children = client_->Children();
  if (children.empty()) return;
  windowList_.push_back(menu->addSeparator());
  // The first few in opening order; the active window, when later, takes the last place.
  std::vector<TMDIChild*> listed(children.begin(),
                                 children.begin() + std::min(children.size(), kListedWindows));
  TMDIChild* active = client_->GetActiveMDIChild();
  if (active && std::find(listed.begin(), listed.end(), active) == listed.end() &&
      listed.size() == kListedWindows)
    listed.back() = active;
  int n = 1;
  for (TMDIChild* c : listed) {
    QAction* a = menu->addAction(QString("&%1 %2").arg(n++).arg(c->windowTitle()));
    a->setCheckable(true);
    a->setChecked(c == active);
    QObject::connect(a, &QAction::triggered, [this, c] {
      for (TMDIChild* live : client_->Children())
        if (live == c) client_->setActiveSubWindow(c);
    });
    windowList_.push_back(a);
  }
  if (children.size() > kListedWindows) {
    QAction* more = menu->addAction("&More Windows...");
    // After the popup has closed: the dialog is modal.
    QObject::connect(
        more, &QAction::triggered, this, [this] { ChooseWindow(); }, Qt::QueuedConnection);
    windowList_.push_back(more);
  }
}

void TDecoratedMDIFrame::ChooseWindow() {
  std::vector<TMDIChild*> children = client_->Children();
  QStringList titles;
  int current = -1;
  for (size_t i = 0; i < children.size(); ++i) {
    titles << children[i]->windowTitle();
    if (children[i] == client_->GetActiveMDIChild()) current = static_cast<int>(i);
  }
  TWindowListDialog dialog(this, titles, current);
  if (dialog.exec() != QDialog::Accepted || dialog.Chosen() < 0) return;
  TMDIChild* chosen = children[dialog.Chosen()];
  // It may have closed while the dialog was up.
  children = client_->Children();
  if (std::find(children.begin(), children.end(), chosen) == children.end()) return;
  // An icon picked from the list is wanted in sight.
  if (chosen->isMinimized()) chosen->showNormal();
  client_->setActiveSubWindow(chosen);
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
