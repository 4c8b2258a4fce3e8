#include "framework/window_list.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace framework {

TWindowListDialog::TWindowListDialog(QWidget* parent, const QStringList& titles, int current)
    : QDialog(parent), filter_(new QLineEdit), list_(new QListWidget) {
  setWindowTitle("Select Window");
  filter_->setPlaceholderText("Filter");
  filter_->setClearButtonEnabled(true);
  for (int i = 0; i < titles.size(); ++i) {
    auto* item = new QListWidgetItem(titles[i], list_);
    item->setData(Qt::UserRole, i);
  }
  if (current >= 0 && current < list_->count()) list_->setCurrentRow(current);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(filter_);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  // The list shows a good number of titles at once, each whole.
  list_->setMinimumWidth(list_->sizeHintForColumn(0) + 2 * list_->frameWidth() + 24);
  list_->setMinimumHeight(list_->sizeHintForRow(0) * 12);
  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& t) { ApplyFilter(t); });
  connect(filter_, &QLineEdit::returnPressed, this, [this] { AcceptIfChosen(); });
  connect(list_, &QListWidget::itemActivated, this, [this] { AcceptIfChosen(); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { AcceptIfChosen(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // Typing goes to the filter while the arrows still move through the list.
  filter_->installEventFilter(this);
  filter_->setFocus();
}

int TWindowListDialog::Chosen() const {
  QListWidgetItem* item = list_->currentItem();
  if (!item || item->isHidden()) return -1;
  return item->data(Qt::UserRole).toInt();
}

void TWindowListDialog::ApplyFilter(const QString& text) {
  QListWidgetItem* first = nullptr;
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    const bool shown = item->text().contains(text, Qt::CaseInsensitive);
    item->setHidden(!shown);
    if (shown && !first) first = item;
  }
  if (!list_->currentItem() || list_->currentItem()->isHidden()) list_->setCurrentItem(first);
}

void TWindowListDialog::AcceptIfChosen() {
  if (Chosen() >= 0) accept();
}

bool TWindowListDialog::eventFilter(QObject* watched, QEvent* e) {
  if (watched == filter_ && e->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(e)->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        QCoreApplication::sendEvent(list_, e);
        return true;
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, e);
}

}  // namespace framework
