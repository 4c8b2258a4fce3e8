#include "dialogs/message_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/qt/input_queue.h"

namespace lanterna {

namespace {

TQVMex* gCurrent = nullptr;

bool IsIconKind(int kind) {
  return kind == 0x10 || kind == 0x20 || kind == 0x30 || kind == 0x40;
}

QStyle::StandardPixmap IconOf(int kind) {
  switch (kind) {
    case 0x10:
      return QStyle::SP_MessageBoxCritical;
    case 0x20:
      return QStyle::SP_MessageBoxQuestion;
    case 0x30:
      return QStyle::SP_MessageBoxWarning;
    default:
      return QStyle::SP_MessageBoxInformation;
  }
}

// The characters of a text as drawn: a surrogate pair stays one character.
template <typename Fn>
void ForEachCharacter(QStringView text, Fn fn) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    qsizetype n = 1;
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) n = 2;
    fn(text.mid(i, n));
    i += n - 1;
  }
}

// A new window can be painted only once the window system has put it on the screen. The caller
// does not return to the event loop for a while, so the window system's events are let in here,
// with input and posted messages held back for later as during a drawing.
void WaitUntilExposed(QWidget* w) {
  constexpr int kMaxWaitMs = 250;
  platform::qt::DrawingScope hold;
  QElapsedTimer waited;
  waited.start();
  while (w->windowHandle() && !w->windowHandle()->isExposed() && waited.elapsed() < kMaxWaitMs)
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
}

// The close request, now agreed to, then the window is gone at once.
void DestroyMessageWindow(TQVMex* mex) {
  mex->SetMayClose(true);
  mex->close();
  delete mex;
}

}  // namespace

QWidget* OwnerWidget(platform::HWND owner) {
  if (!owner) return nullptr;
  if (auto* w = dynamic_cast<framework::TWindow*>(owner)) return w->Widget();
  return dynamic_cast<QWidget*>(owner);
}

TQVMex* CurrentMessageWindow() {
  return gCurrent;
}

// ---- TQVMex --------------------------------------------------------------------------------

TQVMex::TQVMex(QWidget* owner, const char* title, const char* text, int kind)
    : TFrameWindow(title ? title : ""), kind_(kind), title_(title ? title : "") {
  // Owned windows hang on the owner's top-level window, as a child window cannot own one.
  // It takes no input, so it never takes the keyboard either.
  setParent(owner ? owner->window() : nullptr, Qt::Tool | Qt::WindowTitleHint |
                                                   Qt::CustomizeWindowHint |
                                                   Qt::WindowDoesNotAcceptFocus);
  setAttribute(Qt::WA_QuitOnClose, false);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setEnabled(false);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);
  SetText(text);
}

TQVMex::~TQVMex() {
  if (gCurrent == this) gCurrent = nullptr;
}

void TQVMex::SetText(const char* text) {
  // At most 999 characters; a longer text is cut rather than overrunning the buffer.
  std::memset(text_, 0, sizeof text_);
  if (text) std::strncpy(text_, text, kTextSize - 1);
}

void TQVMex::SetupWindow() {
  TFrameWindow::SetupWindow();
  Measure(kind_);
}

void TQVMex::Update(const char* title, const char* text, int kind) {
  title_ = title ? title : "";
  if (text) SetText(text);
  Measure(kind);
}

int TQVMex::Extent(const QFontMetrics& fm, QStringView text) {
  // A line break takes no room: it only starts the next line.
  int width = 0;
  ForEachCharacter(text, [&](QStringView c) {
    if (c != u"\n") width += fm.horizontalAdvance(c.toString());
  });
  return width;
}

void TQVMex::Measure(int kind) {
  setWindowTitle(QString::fromLocal8Bit(title_.c_str()));
  const QFontMetrics fm(font());
  const QString text = QString::fromLocal8Bit(text_);
  lineCount_ = 1;
  int widest = 0;
  qsizetype lineStart = 0;  // the first line has no break before it
  for (qsizetype i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u'\n') continue;
    ++lineCount_;
    widest = std::max(widest, Extent(fm, QStringView(text).mid(lineStart, i - lineStart)));
    lineHeight_ = fm.height();
    lineStart = i;  // the break is measured with the line it opens
  }
  int height = (lineCount_ + 1) * lineHeight_;
  widest = std::max(widest, Extent(fm, windowTitle()));
  if (IsIconKind(kind) && iconSpace_ == 0) iconSpace_ = kIconWidth;
  if (height < iconSpace_) height = iconSpace_;
  setFixedSize(widest + iconSpace_ + 30, height + 20);
  CentreOnDesktop();
  update();
}

void TQVMex::CentreOnDesktop() {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect desktop = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  const QRect window = frameGeometry();
  const int left = desktop.x() + static_cast<int>((desktop.width() - window.width()) / 2.0);
  const int top = desktop.y() + static_cast<int>((desktop.height() - window.height()) / 2.0);
  move(left, top);
}

void TQVMex::paintEvent(QPaintEvent* e) {
  TFrameWindow::paintEvent(e);
  ++paints_;
  QPainter p(this);
  if (IsIconKind(kind_)) {
    const QPixmap icon = style()->standardIcon(IconOf(kind_)).pixmap(32, 32);
    p.drawPixmap(10, height() / 2 - 16, icon);
  }
  // The device context's defaults: black on an opaque white background, the window's font.
  p.setFont(font());
  p.setPen(Qt::black);
  p.setBackground(Qt::white);
  p.setBackgroundMode(Qt::OpaqueMode);
  const QFontMetrics fm(font());
  const int originX = iconSpace_ + 20;
  int x = originX, y = 10;
  ForEachCharacter(QString::fromLocal8Bit(text_), [&](QStringView c) {
    if (c == u"\n") {
      y += lineHeight_;
      x = originX;
      return;
    }
    const QString s = c.toString();
    p.drawText(x, y + fm.ascent(), s);
    x += fm.horizontalAdvance(s);
  });
}

// ---- ShowMex -------------------------------------------------------------------------------

void MessageWindowService::ShowMex(platform::HWND owner, const char* text, const char* title,
                                   int kind, int delay) {
  const bool given = text || title;
  if (TQVMex* mex = gCurrent) {
    if (!given) {
      DestroyMessageWindow(mex);
      return;
    }
    mex->Update(title, text, kind);
    mex->repaint();
    // Brought to the front, not activated: a disabled window holding the keyboard would
    // swallow the keys that interrupt a drawing, and would own (and disable) any box shown.
    mex->raise();
    return;
  }
  if (!given) return;
  QPointer<TQVMex> mex = new TQVMex(OwnerWidget(owner), title, text, kind);
  gCurrent = mex;
  mex->show();
  WaitUntilExposed(mex);
  if (!mex) return;  // its owner went away meanwhile
  mex->repaint();
  mex->SetMayClose(false);
  if (delay <= 0) return;
  // Nothing runs meanwhile: the caller wants the window up for this long, then gone.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(delay);
  while (std::chrono::steady_clock::now() < until) {
  }
  DestroyMessageWindow(mex);
}

void InstallMessageWindow() {
  static MessageWindowService service;
  platform::SetMessageWindowService(&service);
}

}  // namespace lanterna
