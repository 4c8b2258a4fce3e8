#include "framework/gadgets.h"

#include <QEvent>
#include <QFontMetrics>
#include <algorithm>

namespace framework {

namespace {
TBitmapLoader gBitmapLoader = nullptr;

QFont GadgetFont() {
  QFont font;
  font.setPointSize(10);
  return font;
}
}  // namespace

void SetGadgetBitmapLoader(TBitmapLoader loader) {
  gBitmapLoader = loader;
}

// A tool button that tells its gadget when the pointer enters or leaves it.
class TButtonGadget::HoverButton : public QToolButton {
 public:
  explicit HoverButton(TButtonGadget* gadget) : gadget_(gadget) {}

 protected:
  void enterEvent(QEnterEvent* e) override {
    QToolButton::enterEvent(e);
    if (gadget_->OnHover) gadget_->OnHover(gadget_->id_, true);
  }
  void leaveEvent(QEvent* e) override {
    QToolButton::leaveEvent(e);
    if (gadget_->OnHover) gadget_->OnHover(gadget_->id_, false);
  }

 private:
  TButtonGadget* gadget_;
};

TButtonGadget::TButtonGadget(uint32_t bitmapId, uint32_t commandId, TType type, bool enabled)
    : id_(commandId), type_(type), button_(new HoverButton(this)) {
  if (gBitmapLoader) {
    QPixmap pixmap = gBitmapLoader(bitmapId);
    button_->setIcon(QIcon(pixmap));
    button_->setIconSize(pixmap.size());
  }
  button_->setCheckable(type == NonExclusive);
  button_->setAutoRaise(true);
  button_->setEnabled(enabled);
  QObject::connect(button_, &QToolButton::clicked, [this] {
    if (OnPressed) OnPressed(id_);
  });
}

TButtonGadget::~TButtonGadget() {
  delete button_;
}

void TButtonGadget::SetButtonState(bool down) {
  button_->setChecked(down);
}
bool TButtonGadget::ButtonState() const {
  return button_->isChecked();
}
void TButtonGadget::SetEnabled(bool enabled) {
  if (button_->isEnabled() != enabled) button_->setEnabled(enabled);
}
bool TButtonGadget::Enabled() const {
  return button_->isEnabled();
}

TSeparatorGadget::TSeparatorGadget(int size) : size_(size), widget_(new QWidget) {
  widget_->setFixedWidth(size);
}
TSeparatorGadget::~TSeparatorGadget() {
  delete widget_;
}

TTextGadget::TTextGadget(int numChars, bool widens)
    : numChars_(numChars), widens_(widens), label_(new QLabel) {
  label_->setFont(GadgetFont());
  label_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  FitText();
}
void TTextGadget::FitText() {
  QFontMetrics metrics(label_->font());
  int width = metrics.horizontalAdvance(QString(numChars_, QChar('0')));
  if (widens_) width = std::max(width, metrics.horizontalAdvance(label_->text()));
  label_->setFixedWidth(width + 12);
}
TTextGadget::~TTextGadget() {
  delete label_;
}
void TTextGadget::SetText(const std::string& text) {
  label_->setText(QString::fromLocal8Bit(text.c_str()));
  FitText();
}
std::string TTextGadget::GetText() const {
  return label_->text().toLocal8Bit().toStdString();
}

TControlBar::TControlBar(QWidget* parent) : QToolBar(parent) {
  setFont(GadgetFont());
  setOrientation(Qt::Horizontal);
  setMovable(false);
  setFloatable(false);
}

TControlBar::~TControlBar() {
  for (TGadget* g : gadgets_) delete g;
}

void TControlBar::Insert(TGadget* gadget) {
  gadgets_.push_back(gadget);
  if (auto* b = dynamic_cast<TButtonGadget*>(gadget)) {
    b->OnPressed = [this](uint32_t id) {
      if (OnCommand) OnCommand(id);
    };
    b->OnHover = [this](uint32_t id, bool entered) {
      if (OnHint) OnHint(id, entered);
    };
  }
  addWidget(gadget->Widget());
}

TButtonGadget* TControlBar::GadgetWithId(uint32_t id) const {
  for (TGadget* g : gadgets_)
    if (auto* b = dynamic_cast<TButtonGadget*>(g); b && b->CommandId() == id) return b;
  return nullptr;
}

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), message_(new QLabel) {
  setFont(GadgetFont());
  setSizeGripEnabled(false);
  message_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  message_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  message_->setMinimumWidth(1);
  addWidget(message_, 1);
}

TStatusBar::~TStatusBar() {
  for (TGadget* g : gadgets_) delete g;
}

void TStatusBar::Insert(TGadget* gadget) {
  gadgets_.push_back(gadget);
  addWidget(gadget->Widget());
}

void TStatusBar::SetText(const std::string& text) {
  text_ = text;
  Show();
}
std::string TStatusBar::GetText() const {
  return text_;
}
void TStatusBar::SetHintText(const std::string& hint) {
  hint_ = hint;
  Show();
}
void TStatusBar::Show() {
  message_->setText(QString::fromLocal8Bit((hint_.empty() ? text_ : hint_).c_str()));
}
void TStatusBar::Update() {
  repaint();
}

}  // namespace framework
