#include "shell/child.h"

#include <QApplication>
#include <QGridLayout>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/gadgets.h"
#include "platform/exten.h"
#include "platform/input.h"
#include "platform/qt/input_queue.h"
#include "render/dxf_writer.h"
#include "resources/resources.h"
#include "shell/frame.h"
#include "shell/held_boxes.h"
#include "shell/shell_state.h"
#include "slide/ciclo.h"
#include "slide/library.h"
#include "slide/loader.h"
#include "slide/report.h"

namespace lanterna {

namespace {

void ShowChildCount() {
  ShellState& s = Shell();
  if (!s.CountGadget) return;
  s.CountGadget->SetText(std::to_string(s.ChildCount) + res::LoadString(res::IDS_MDI));
  if (s.StatusBar) s.StatusBar->Update();
}

void FreshView(ViewState& v) {
  v = ViewState();
  v.zoom = 1;
  v.measuredWidth = v.measuredHeight = 0;
  v.measuredLeft = v.measuredTop = 2222;
}

std::string BaseNameLower(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name;
}

}  // namespace

TMyChild::TMyChild(framework::TMDIClient* client, const std::string& title,
                   const std::string& fileName, const std::string& memberName)
    : TMDIChild(client, title),
      view_(new platform::qt::SurfaceWindow),
      hBar_(new QScrollBar(Qt::Horizontal)),
      vBar_(new QScrollBar(Qt::Vertical)),
      fileName_(fileName) {
  std::strncpy(memberName_, memberName.c_str(), sizeof memberName_ - 1);
  ShellState& s = Shell();
  ++s.ChildCount;
  ShowChildCount();
  if (auto* active = client->GetActiveMDIChild(); active && active->IsZoomed())
    setWindowState(windowState() | Qt::WindowMaximized);
  FreshView(normalView_);
  FreshView(iconView_);
  view_->SetTarget(this);
  auto* body = new QWidget;
  auto* layout = new QGridLayout(body);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view_, 0, 0);
  layout->addWidget(vBar_, 0, 1);
  layout->addWidget(hBar_, 1, 0);
  for (QScrollBar* bar : {hBar_, vBar_}) {
    bar->hide();
    bar->setFocusPolicy(Qt::NoFocus);
    QObject::connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
      if (syncingBars_) return;
      if (bar == hBar_) PanBy(value - normalView_.panX, 0);
      if (bar == vBar_) PanBy(0, value - normalView_.panY);
    });
  }
  view_->installEventFilter(this);
  setWidget(body);
  // A new window fits inside the client area, never taller or wider than it.
  const QSize room = client->viewport()->size();
  resize(std::min(320, std::max(room.width(), 120)), std::min(240, std::max(room.height(), 90)));
  DefineResponseTable({
      OnMessage(platform::WM_PAINT,
                [this](uintptr_t, intptr_t) {
                  paintPosted_ = false;
                  EvPaint();
                  return 0;
                }),
      OnMessage(platform::qt::WM_SETFOCUS,
                [this](uintptr_t, intptr_t) {
                  PostMessage(WM_REALIZEPALETTE, 0, 0);
                  return 0;
                }),
      OnMessage(WM_REALIZEPALETTE,
                [this](uintptr_t, intptr_t) {
                  RealizeSlidePalette();
                  return 0;
                }),
      OnMessage(platform::WM_NCHITTEST, [](uintptr_t, intptr_t) { return 1; }),
      OnMessage(WM_WRITEDXF,
                [this](uintptr_t wParam, intptr_t lParam) {
                  InterruptMask(kInterruptEscape);
                  ShowIcon(view_, fileName_.c_str(), memberName_, wParam ? SI_DXF_POLYLINES : 0,
                           reinterpret_cast<const char*>(lParam), nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr);
                  InterruptMask(kDefaultInterruptMask);
                  // A drawing that stopped early has said why in its own box; the file it
                  // began is no DXF and goes.
                  const char* written = reinterpret_cast<const char*>(lParam);
                  if (DxfState().begun && !DxfState().ended)
                    std::remove(written);
                  else if (DxfState().ended)
                    SetStatusText(std::string("DXF written to ") + written);
                  return 0;
                }),
      OnCommand(res::CM_CLOSECHILD, [this] { Destroy(); }),
      OnCommand(res::CM_REDRAW, [this] { CmRedraw(); }),
      OnCommand(res::CM_ZOOM, [this] { CmZoom(); }),
      OnCommand(res::CM_SLIDEINFO, [this] { CmSlideInfo(); }),
      OnCommand(res::CM_EDITCOPY, [this] { CmCopyVectors(); }),
      OnCommand(res::CM_EDITCOPYBITMAP, [this] { CmCopyBitmap(); }),
      OnCommand(res::CM_STOPDRAWING, [this] { CmStopDrawing(); }),
      OnEnable(res::CM_STOPDRAWING,
               [this](framework::TCommandEnabler& ce) { ce.Enable(!DrawingComplete()); }),
  });
  DefineMouseResponses();
}

TMyChild::~TMyChild() {
  Uncount();
  view_->SetTarget(nullptr);
  DropBitmap(normalBitmap_);
  if (iconBitmap_) gdi::DeleteObject(iconBitmap_);
  if (QWidget* grabber = QWidget::mouseGrabber(); grabber == view_ || grabber == this)
    grabber->releaseMouse();
  // Only a palette of the slide's own is freed; the application palette is shared.
  if (palette_.logPalette) {
    gdi::DeleteObject(palette_.palette);
    delete palette_.logPalette;
  }
}

void TMyChild::Uncount() {
  if (!counted_) return;
  counted_ = false;
  --Shell().ChildCount;
  ShowChildCount();
}

void TMyChild::CleanupWindow() {
  Uncount();
  dragged_ = nullptr;
  if (QWidget* grabber = QWidget::mouseGrabber(); grabber == view_ || grabber == this)
    grabber->releaseMouse();
}

std::string TMyChild::FileStem() const {
  std::string stem;
  if (memberName_[0]) {
    stem = ShownMemberName(memberName_);
    for (char& c : stem)
      if (c == '/') c = '_';
    return stem;
  }
  stem = fileName_.substr(fileName_.find_last_of('/') + 1);
  if (const size_t dot = stem.rfind('.'); dot != std::string::npos && dot > 0) stem.resize(dot);
  return stem;
}

void TMyChild::ShowMemberName() {
  if (memberName_[0])
    SetCaption(ShownMemberName(memberName_) + " - (" + BaseNameLower(fileName_) + ") ");
}

bool TMyChild::StepMember(int direction) {
  if (!memberName_[0] || LoaderBusy()) return false;
  std::vector<std::string> members;
  char name[kLibraryNameLength + 8];
  while (MemberIterator(fileName_.c_str(), name)) members.push_back(name);
  const auto at = std::find(members.begin(), members.end(), std::string(memberName_));
  if (at == members.end()) return false;
  const ptrdiff_t next = (at - members.begin()) + direction;
  if (next < 0 || next >= static_cast<ptrdiff_t>(members.size())) {
    platform::MessageBeep(0);
    return false;
  }
  std::strncpy(memberName_, members[static_cast<size_t>(next)].c_str(), sizeof memberName_ - 1);
  // The next member starts as a fresh window does: whole, unzoomed.
  normalView_.zoom = 1;
  normalView_.panX = normalView_.panY = 0;
  ResetNormalView();
  ResetIconView();
  ShowMemberName();
  info_ = SlideInfo();
  if (!ReadHeader()) return false;
  ShowPointerStatus();
  EvPaint();
  return true;
}

void TMyChild::SetupWindow() {
  setCursor(res::LoadCursor("CUR_MANO"));
  setWindowIcon(res::LoadIcon("ICON_VOID"));
  SetAccelerators(res::Accelerators());
  ShowMemberName();
  // A file that cannot be read is refused here, before anything is drawn or noted as opened.
  ReadHeader();
  setWindowIcon(res::LoadIcon(info_.kind == kKindSlide       ? "ICON_SLIDE"
                              : info_.kind == kKindRendering ? "ICON_RENDER"
                                                             : "101"));
}

bool TMyChild::ReadHeader() {
  // What the loader says about a file it cannot read waits for the one box that names the file.
  HeldBoxes held;
  const int32_t header =
      ShowIconKept(&kept_, view_, fileName_.c_str(), memberName_, SI_DIRECT | SI_HEADER_ONLY,
                   nullptr, nullptr, nullptr, nullptr, &info_);
  const std::string loaderSaid = header < 0 ? held.TakeLast() : std::string();
  held.Release();
  if (header < 0) Refuse(header, loaderSaid);
  return header >= 0;
}

void TMyChild::Refuse(int32_t result, const std::string& loaderSaid) {
  if (refused_) return;
  refused_ = true;
  SetStatusText("");
  platform::MessageBeep(1);
  // Said once, naming the file, so that no window comes and goes without a word. A rendering
  // refused while drawing has had the loader's box already.
  const std::string name = memberName_[0] ? fileName_ + " (" + memberName_ + ")" : fileName_;
  const OpenRequestsHeld boxUp;
  if (!loaderSaid.empty()) {
    platform::ShowErrorBox(Shell().Frame, (name + "\n" + loaderSaid).c_str(), "Error", 0);
  } else if (result != kNotRendering) {
    const char* why = result == kNotSlide   ? " is not a slide."
                      : result == kNotFound ? ": not found in the library."
                                            : " cannot be opened.";
    platform::ShowErrorBox(Shell().Frame, (name + why).c_str(), "Error", 0);
  }
  PostMessage(platform::WM_CLOSE, 0, 0);
}

void TMyChild::Redraw(uint32_t flags) {
  if (flags & platform::RDW_INVALIDATE) Invalidate();
}

void TMyChild::Invalidate() {
  if (paintPosted_) return;
  paintPosted_ = true;
  PostMessage(platform::WM_PAINT, 0, 0);
}

void TMyChild::focusInEvent(QFocusEvent* e) {
  TMDIChild::focusInEvent(e);
  SendMessage(platform::qt::WM_SETFOCUS, 0, 0);
}

void TMyChild::RealizeSlidePalette() {
  if (!palette_.palette) return;
  gdi::HDC dc = GetDC();
  if (!dc) return;
  // A true-colour display shows every colour as it is: selecting the palette is all there is.
  gdi::SelectPalette(dc, palette_.palette, 0);
  if (gdi::GetDeviceCaps(dc, gdi::SIZEPALETTE) > 0) gdi::RealizePalette(dc);
  ReleaseDC(dc);
}

void TMyChild::CmSlideInfo() {
  SlideReport(this, fileName_.c_str(), memberName_, nullptr);
}

void TMyChild::resizeEvent(QResizeEvent* e) {
  TMDIChild::resizeEvent(e);
  resized_ = true;
  // Inside another window's drawing this one waits for its turn.
  if (LoaderBusy()) {
    Invalidate();
  } else {
    EvPaint();
  }
}

void TMyChild::AdjustSize() {
  const gdi::RECT r = ClientRect();
  if (r.left == lastClient_.left && r.top == lastClient_.top && r.right == lastClient_.right &&
      r.bottom == lastClient_.bottom)
    return;
  if (normalView_.zoom != 1) {
    // The zoomed detail keeps its place relative to the window.
    if (lastClient_.right == 0) lastClient_.right = r.right;
    if (lastClient_.bottom == 0) lastClient_.bottom = r.bottom;
    const float fx = static_cast<float>(r.right) / static_cast<float>(lastClient_.right);
    const float fy = static_cast<float>(r.bottom) / static_cast<float>(lastClient_.bottom);
    normalView_.panX = static_cast<int32_t>(normalView_.panX * fx);
    normalView_.panY = static_cast<int32_t>(normalView_.panY * fy);
  }
  lastClient_ = r;
  if (IsIconic()) wasMinimised_ = true;
  if (!wasMinimised_ || IsZoomed()) ResetNormalView();
  if (!IsIconic()) wasMinimised_ = false;
  resized_ = false;
}

gdi::HBITMAP& ClipboardBitmap() {
  static gdi::HBITMAP bitmap = nullptr;
  return bitmap;
}

void TMyChild::DropBitmap(gdi::HBITMAP bitmap) {
  if (bitmap && bitmap != ClipboardBitmap()) gdi::DeleteObject(bitmap);
}

void TMyChild::ResetNormalView() {
  DropBitmap(normalBitmap_);
  normalBitmap_ = nullptr;
  normalView_.reached = 0;
  normalView_.lastX = normalView_.lastY = 0;
  normalView_.colour = 0;
  normalView_.size = 0;
}

void TMyChild::ResetIconView() {
  if (iconBitmap_) gdi::DeleteObject(iconBitmap_);
  iconBitmap_ = nullptr;
  const int32_t w = iconView_.measuredWidth, h = iconView_.measuredHeight;
  const int32_t l = iconView_.measuredLeft, t = iconView_.measuredTop;
  iconView_ = ViewState();
  iconView_.measuredWidth = w, iconView_.measuredHeight = h;
  iconView_.measuredLeft = l, iconView_.measuredTop = t;
}

void TMyChild::CmRedraw() {
  if (IsIconic()) {
    ResetIconView();
  } else {
    ResetNormalView();
  }
  if (Shell().ZoomButton && Shell().ZoomButton->ButtonState()) {
    normalView_.zoom = 1;
    normalView_.panX = normalView_.panY = 0;
  }
  EvPaint();
}

bool TMyChild::DrawSome() {
  ShellState& s = Shell();
  ViewState& view = normalView_;
  gdi::HBITMAP& bitmap = normalBitmap_;
  bool progressShown = false;
  if (!bitmap) {
    SetStatusText(info_.kind == kKindRendering && view.reached > 0
                      ? std::string("Optimizing...")
                      : "Wait redrawing " + GetCaption() + "...");
    if (s.StatusBar) s.StatusBar->Update();
    progressShown = true;
    if (IsZoomed() && !shownBeforeDraw_) {
      shownBeforeDraw_ = true;
      Invalidate();
      return false;
    }
  }

  SetBitmapSlot(bitmap);
  QPointer<TMyChild> alive(this);
  if (view.reached == 0) drawingSince_ = TickCount();
  platform::qt::InputQueue* queue = platform::qt::InputQueue::Instance();
  if (queue)
    queue->SetDrawingWatcher([alive] {
      if (alive) alive->ShowDrawingProgress();
    });
  int32_t result;
  {
    platform::qt::DrawingScope drawing;
    result = ShowIconKept(&kept_, view_, fileName_.c_str(), memberName_, SI_KEEP_BITMAP, nullptr,
                          nullptr, &view, &palette_, nullptr);
  }
  if (queue) queue->SetDrawingWatcher(nullptr);
  if (alive && stopAsked_) {
    // Stopped from inside the drawing: it ends as Esc ends it, not to be carried on.
    stopAsked_ = false;
    InterruptCause() = kInterruptEscape;
  }
  gdi::HBITMAP kept = GetBitmapSlot();
  SetBitmapSlot(nullptr);
  if (!alive) return false;
  if (result < 0) {
    if (kept && kept != bitmap) gdi::DeleteObject(kept);
    Refuse(result);
    return false;
  }
  if (!(InterruptCause() & kInterruptEscape) && view.reached < view.size) Invalidate();
  if (view.reached > 0 && kept) {
    if (bitmap != kept) DropBitmap(bitmap);
    bitmap = kept;
  } else if (kept && kept != bitmap) {
    gdi::DeleteObject(kept);
  }

  if (progressShown || progressShown_) {
    SetStatusText("");
    if (s.StatusBar) s.StatusBar->Update();
  }
  progressShown_ = false;
  if (s.StopButton) s.StopButton->SetEnabled(view.reached < view.size);
  return true;
}

void TMyChild::ShowDrawingProgress() {
  // Short drawings say nothing: only one that keeps the user waiting shows how far it is.
  if (TickCount() - drawingSince_ < ProgressAfterMs) return;
  const uint32_t size = normalView_.size;
  const int percent = size > 0 ? static_cast<int>(100.0 * Loader().ByteReaded / size) : 0;
  SetStatusText("Drawing " + GetCaption() + "... " + std::to_string(std::min(percent, 100)) +
                "% (Esc or Stop ends it)");
  progressShown_ = true;
  ShellState& s = Shell();
  if (s.StopButton) s.StopButton->SetEnabled(true);
}

void TMyChild::CmStopDrawing() {
  if (DrawingComplete()) return;
  stopAsked_ = true;
  // From inside the drawing (a key or timer let in): it returns at its next look at the input.
  if (LoaderBusy())
    if (platform::qt::InputQueue* queue = platform::qt::InputQueue::Instance())
      queue->StopDrawing();
  SetStatusText("Drawing of " + GetCaption() + " stopped");
  if (Shell().StopButton) Shell().StopButton->SetEnabled(false);
}

void TMyChild::EvPaint() {
  ShellState& s = Shell();
  // A closed window waits only for its deletion.
  if (!s.PaintEnabled || Closing() || refused_) return;
  // Input waiting comes first; the paint follows once it is handled.
  const uint32_t mask = InterruptMask(0);
  platform::PendingMessage m{};
  if (((mask & kInterruptKey) &&
       platform::PeekPendingInput(platform::WM_KEYDOWN, platform::WM_KEYDOWN, &m)) ||
      ((mask & kInterruptMouse) &&
       platform::PeekPendingInput(platform::WM_LBUTTONDOWN, platform::WM_MBUTTONDBLCLK, &m))) {
    Invalidate();
    return;
  }
  // The engine runs one drawing at a time.
  if (LoaderBusy()) {
    Invalidate();
    return;
  }
  if (resized_) AdjustSize();
  if (InterruptCause() & kInterruptMouse) return;

  const gdi::RECT client = ClientRect();
  TMDIChild* active = Client()->GetActiveMDIChild();
  if (active && active->IsZoomed() && active != this) return;
  if (!s.PaintEnabled || IsIconic() || client.right <= 0 || client.bottom <= 0) return;

  if (stopAsked_) {
    // Stop: what is drawn stays, as after Esc; a redraw, zoom or pan starts again.
    stopAsked_ = false;
  } else if (!DrawSome()) {
    return;
  }

  gdi::HBITMAP& bitmap = normalBitmap_;
  if (bitmap) {
    gdi::HDC dc = view_->GetDC();
    gdi::HDC mem = gdi::CreateCompatibleDC(dc);
    gdi::HGDIOBJ previous = gdi::SelectObject(mem, bitmap);
    gdi::BitBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, mem, 0, 0,
                gdi::SRCCOPY);
    if (previous) gdi::SelectObject(mem, previous);
    gdi::DeleteDC(mem);
    view_->ReleaseDC(dc);
  }
  shownBeforeDraw_ = false;
  SyncScrollBars();
  if (active && active != this) active->PostMessage(WM_REALIZEPALETTE, 0, 0);
}

void TMyChild::ShowPreview(int oldZoom, int oldPanX, int oldPanY) {
  if (!normalBitmap_ || LoaderBusy() || IsIconic()) return;
  const ViewState& v = normalView_;
  const int newZoom = v.zoom == 0 ? 1 : v.zoom;
  // A device point x of the old picture is (x + oldPan) / oldZoom on the whole slide.
  const double scale = static_cast<double>(newZoom) / std::max(1, oldZoom);
  view_->ShowPreview(*normalBitmap_, scale, oldPanX * scale - v.panX, oldPanY * scale - v.panY,
                     BackgroundColorRef());
}

void TMyChild::SyncScrollBars() {
  const ViewState& v = normalView_;
  const bool zoomed = v.zoom > 1 && !IsIconic();
  const gdi::RECT r = ClientRect();
  syncingBars_ = true;
  for (QScrollBar* bar : {hBar_, vBar_}) {
    const bool across = bar == hBar_;
    const int side = std::max<int>(1, across ? r.right - r.left : r.bottom - r.top);
    const int pan = across ? v.panX : v.panY;
    // The zoomed slide is zoom times the window; where a pan went past it, the bar follows.
    const int end = side * (zoomed ? v.zoom - 1 : 0);
    bar->setRange(std::min(0, pan), std::max(end, pan));
    bar->setPageStep(side);
    bar->setSingleStep(std::max(1, side / 8));
    bar->setValue(pan);
    if (bar->isVisible() != zoomed) bar->setVisible(zoomed);
  }
  syncingBars_ = false;
}

bool TMyChild::eventFilter(QObject* watched, QEvent* e) {
  if (watched == view_ && e->type() == QEvent::Resize) {
    resized_ = true;
    Invalidate();
  }
  return TMDIChild::eventFilter(watched, e);
}

}  // namespace lanterna
