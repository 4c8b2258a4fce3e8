#include "framework/dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>
#include <memory>

namespace framework {

namespace {

TTemplateLoader templateLoader = nullptr;
TIconLoader iconLoader = nullptr;

QString Text(const char* text) {
  return QString::fromLocal8Bit(text ? text : "");
}

// An edit without horizontal scrolling takes no more text than its width shows.
void KeepWithinWidth(QLineEdit* edit) {
  QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
    const int room = edit->contentsRect().width() - 6;
    QString t = text;
    while (!t.isEmpty() && edit->fontMetrics().horizontalAdvance(t) > room) t.chop(1);
    if (t != text) {
      const int cursor = std::min(edit->cursorPosition(), static_cast<int>(t.size()));
      edit->setText(t);
      edit->setCursorPosition(cursor);
    }
  });
}

}  // namespace

void SetDialogTemplateLoader(TTemplateLoader loader) {
  templateLoader = loader;
}
void SetDialogIconLoader(TIconLoader loader) {
  iconLoader = loader;
}

const TDialogTemplate* LoadDialogTemplate(const std::string& name) {
  return templateLoader ? templateLoader(name) : nullptr;
}

TDialog::TDialog(QWidget* parent, const std::string& templateName)
    : QDialog(parent), TWindow(this) {
  if (const TDialogTemplate* t = LoadDialogTemplate(templateName)) {
    template_ = *t;
  } else {
    template_.name = templateName;
    template_.caption = templateName.c_str();
    template_.fontPoints = 8;
    template_.fontName = nullptr;
    template_.x = template_.y = 0;
    template_.cx = 200;
    template_.cy = 100;
  }
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setWindowTitle(Text(template_.caption));
  // The template's font family may not exist here; its size sets the dialog units.
  QFont f = font();
  f.setPointSize(template_.fontPoints > 0 ? template_.fontPoints : 8);
  setFont(f);
  const QFontMetrics fm(f);
  const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  baseX_ = std::max(1, (fm.horizontalAdvance(alphabet) / 26 + 1) / 2);
  baseY_ = std::max(1, fm.height());
}

TDialog::~TDialog() = default;

QRect TDialog::MapDialogRect(int x, int y, int cx, int cy) const {
  return QRect(x * baseX_ / 4, y * baseY_ / 8, cx * baseX_ / 4, cy * baseY_ / 8);
}

void TDialog::Build() {
  if (built_) return;
  built_ = true;
  const QRect frame = MapDialogRect(template_.x, template_.y, template_.cx, template_.cy);
  setFixedSize(frame.size());
  if (!parentWidget()) move(frame.topLeft());
  std::vector<QGroupBox*> groups;
  std::vector<QWidget*> made;
  for (const TDialogControl& c : template_.controls) {
    QWidget* w = MakeControl(c);
    if (!w) w = MakeStandardControl(c);
    made.push_back(w);
    w->setParent(this);
    QRect place = MapDialogRect(c.x, c.y, c.cx, c.cy);
    // A combo box's template height includes its drop-down list; the field is one line.
    if (qobject_cast<QComboBox*>(w))
      place.setHeight(std::min(place.height(), w->sizeHint().height()));
    w->setGeometry(place);
    if (c.style & CS_DISABLED) w->setEnabled(false);
    if (auto* g = qobject_cast<QGroupBox*>(w)) groups.push_back(g);
    if (c.id >= 0) items_[c.id] = w;
  }
  // A group box only frames the controls placed over it.
  for (QGroupBox* g : groups) g->lower();
  // A mnemonic in a static text moves the focus to the control that follows it.
  for (size_t i = 0; i + 1 < made.size(); ++i) {
    auto* label = qobject_cast<QLabel*>(made[i]);
    if (label && label->text().contains('&')) label->setBuddy(made[i + 1]);
  }
}

QWidget* TDialog::MakeStandardControl(const TDialogControl& c) {
  const int id = c.id;
  switch (c.cls) {
    case TControlClass::Static: {
      if (c.style & CS_BLACKFRAME) {
        auto* line = new QFrame;
        line->setAutoFillBackground(true);
        QPalette p = line->palette();
        p.setColor(QPalette::Window, Qt::black);
        line->setPalette(p);
        return line;
      }
      auto* label = new QLabel(Text(c.text));
      label->setAlignment((c.style & CS_CENTRE)  ? Qt::AlignHCenter | Qt::AlignTop
                          : (c.style & CS_RIGHT) ? Qt::AlignRight | Qt::AlignTop
                                                 : Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(c.cy * baseY_ / 8 > 2 * fontMetrics().height());
      return label;
    }
    case TControlClass::Icon: {
      auto* label = new QLabel;
      if (iconLoader) {
        const QRect r = MapDialogRect(c.x, c.y, c.cx, c.cy);
        label->setPixmap(iconLoader(c.text ? c.text : "").pixmap(std::max(r.width(), 32)));
      }
      return label;
    }
    case TControlClass::Edit: {
      auto* edit = new QLineEdit;
      edit->setFrame(c.style & CS_BORDER);
      if (c.style & CS_NOHSCROLL) KeepWithinWidth(edit);
      return edit;
    }
    case TControlClass::Button: {
      auto* button = new QPushButton(Text(c.text));
      button->setAutoDefault(false);
      button->setDefault(c.style & CS_DEFAULT);
      connect(button, &QPushButton::clicked, this,
              [this, id] { SendMessage(WM_COMMAND, static_cast<uint32_t>(id), 0); });
      return button;
    }
    case TControlClass::CheckBox: {
      auto* box = new QCheckBox(Text(c.text));
      connect(box, &QCheckBox::clicked, this,
              [this, id] { SendMessage(WM_COMMAND, static_cast<uint32_t>(id), 0); });
      return box;
    }
    case TControlClass::GroupBox:
      return new QGroupBox(Text(c.text));
    case TControlClass::ListBox: {
      auto* list = new QListWidget;
      list->setSelectionMode((c.style & CS_MULTISEL) ? QAbstractItemView::ExtendedSelection
                                                     : QAbstractItemView::SingleSelection);
      list->setSortingEnabled(c.style & CS_SORTED);
      list->setHorizontalScrollBarPolicy((c.style & CS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                                : Qt::ScrollBarAlwaysOff);
      // One notification for one change: a click moves the caret and then the selection, and
      // tells the dialog once; a caret move alone tells it once the move is over.
      auto caretMoved = std::make_shared<bool>(false);
      connect(list, &QListWidget::itemSelectionChanged, this, [this, id, caretMoved] {
        *caretMoved = false;
        SendMessage(WM_COMMAND, Notification(id, LBN_SELCHANGE), 0);
      });
      connect(list, &QListWidget::currentRowChanged, this, [this, id, list, caretMoved](int) {
        if (list->selectionMode() != QAbstractItemView::ExtendedSelection) return;
        *caretMoved = true;
        QMetaObject::invokeMethod(
            this,
            [this, id, caretMoved] {
              if (!*caretMoved) return;
              *caretMoved = false;
              SendMessage(WM_COMMAND, Notification(id, LBN_SELCHANGE), 0);
            },
            Qt::QueuedConnection);
      });
      connect(list, &QListWidget::itemDoubleClicked, this,
              [this, id] { SendMessage(WM_COMMAND, Notification(id, LBN_DBLCLK), 0); });
      return list;
    }
    case TControlClass::ComboBox:
      return new QComboBox;
  }
  return new QWidget;
}

int TDialog::Execute() {
  Build();
  return exec();
}

void TDialog::Create() {
  Build();
  show();
}

void TDialog::showEvent(QShowEvent* e) {
  if (!setUp_) {
    setUp_ = true;
    Build();
    SetupWindow();
    UpdateCommandStates();
  }
  QDialog::showEvent(e);
}

void TDialog::CloseWindow(int result) {
  done(result);
}

bool TDialog::RouteCommand(uint32_t id) {
  const bool taken = DoCommand(id);
  if (!taken) {
    if (id == IDOK) CmOk();
    if (id == IDCANCEL) CmCancel();
  }
  UpdateCommandStates();
  return true;
}

intptr_t TDialog::DefWindowProc(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  // Notifications keep their code in the high word.
  if (msg == WM_COMMAND) {
    RouteCommand(static_cast<uint32_t>(wParam));
    return 0;
  }
  return TWindow::DefWindowProc(msg, wParam, lParam);
}

void TDialog::reject() {
  // Esc and the close box are Cancel.
  SendMessage(WM_COMMAND, IDCANCEL, 0);
}

void TDialog::mousePressEvent(QMouseEvent* e) {
  // The dialog can be dragged by any free spot.
  if (e->button() == Qt::LeftButton && windowHandle()) {
    windowHandle()->startSystemMove();
    return;
  }
  QDialog::mousePressEvent(e);
}

void TDialog::UpdateCommandStates() {
  for (auto& [id, w] : items_) {
    if (!qobject_cast<QPushButton*>(w)) continue;
    TCommandEnabler ce(static_cast<uint32_t>(id));
    if (DoEnable(ce) && ce.Handled) w->setEnabled(ce.Enabled);
  }
}

QWidget* TDialog::GetDlgItem(int id) const {
  auto it = items_.find(id);
  return it == items_.end() ? nullptr : it->second;
}

void TDialog::SetDlgItemText(int id, const std::string& text) {
  QWidget* w = GetDlgItem(id);
  const QString t = QString::fromLocal8Bit(text.c_str());
  if (auto* l = qobject_cast<QLabel*>(w))
    l->setText(t);
  else if (auto* e = qobject_cast<QLineEdit*>(w))
    e->setText(t);
  else if (auto* b = qobject_cast<QAbstractButton*>(w))
    b->setText(t);
  else if (auto* g = qobject_cast<QGroupBox*>(w))
    g->setTitle(t);
}

std::string TDialog::GetDlgItemText(int id) const {
  QWidget* w = GetDlgItem(id);
  QString t;
  if (auto* l = qobject_cast<QLabel*>(w))
    t = l->text();
  else if (auto* e = qobject_cast<QLineEdit*>(w))
    t = e->text();
  else if (auto* b = qobject_cast<QAbstractButton*>(w))
    t = b->text();
  else if (auto* g = qobject_cast<QGroupBox*>(w))
    t = g->title();
  return t.toLocal8Bit().toStdString();
}

void TDialog::CheckDlgButton(int id, bool checked) {
  if (auto* b = qobject_cast<QAbstractButton*>(GetDlgItem(id))) b->setChecked(checked);
}

bool TDialog::IsDlgButtonChecked(int id) const {
  auto* b = qobject_cast<QAbstractButton*>(GetDlgItem(id));
  return b && b->isChecked();
}

// ---- TListBox ------------------------------------------------------------------------------

int TListBox::GetCount() const {
  return list_ ? list_->count() : 0;
}

namespace {

// Sorted lists order names as people read them: without regard to case.
class ListItem : public QListWidgetItem {
 public:
  using QListWidgetItem::QListWidgetItem;
  bool operator<(const QListWidgetItem& other) const override {
    const int c = text().compare(other.text(), Qt::CaseInsensitive);
    return c != 0 ? c < 0 : text() < other.text();
  }
};

}  // namespace

int TListBox::AddString(const std::string& text) {
  if (!list_) return -1;
  auto* item = new ListItem(QString::fromLocal8Bit(text.c_str()));
  list_->addItem(item);
  return list_->row(item);
}

int TListBox::AddString(const std::string& text, const std::string& key) {
  const int index = AddString(text);
  if (index >= 0) list_->item(index)->setData(Qt::UserRole, QByteArray::fromStdString(key));
  return index;
}

int TListBox::InsertString(const std::string& text, int index) {
  if (!list_) return -1;
  if (index < 0 || index > list_->count()) index = list_->count();
  list_->insertItem(index, QString::fromLocal8Bit(text.c_str()));
  return index;
}

void TListBox::DeleteString(int index) {
  if (list_ && index >= 0 && index < list_->count()) delete list_->takeItem(index);
}

void TListBox::ClearList() {
  if (list_) list_->clear();
}

std::string TListBox::GetString(int index) const {
  if (!list_ || index < 0 || index >= list_->count()) return {};
  const QVariant key = list_->item(index)->data(Qt::UserRole);
  if (key.typeId() == QMetaType::QByteArray) return key.toByteArray().toStdString();
  return list_->item(index)->text().toLocal8Bit().toStdString();
}

int TListBox::GetCaretIndex() const {
  return list_ ? list_->currentRow() : -1;
}

int TListBox::GetSelIndex() const {
  if (!list_) return -1;
  const QList<QListWidgetItem*> sel = list_->selectedItems();
  return sel.isEmpty() ? -1 : list_->row(sel.front());
}

void TListBox::SetSelIndex(int index) {
  if (!list_) return;
  if (index < 0 || index >= list_->count()) {
    list_->clearSelection();
    return;
  }
  list_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

int TListBox::GetSelCount() const {
  return list_ ? static_cast<int>(list_->selectedItems().size()) : 0;
}

std::vector<int> TListBox::GetSelIndexes() const {
  std::vector<int> out;
  if (!list_) return out;
  for (int i = 0; i < list_->count(); ++i)
    if (list_->item(i)->isSelected()) out.push_back(i);
  return out;
}

void TListBox::SetSel(int index, bool select) {
  if (list_ && index >= 0 && index < list_->count()) list_->item(index)->setSelected(select);
}

int TListBox::SelectString(const std::string& text) {
  if (!list_) return -1;
  const QString t = QString::fromLocal8Bit(text.c_str());
  for (int i = 0; i < list_->count(); ++i) {
    if (list_->item(i)->text().startsWith(t, Qt::CaseInsensitive)) {
      SetSelIndex(i);
      return i;
    }
  }
  return -1;
}

}  // namespace framework
