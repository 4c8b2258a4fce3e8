#include "platform/qt/message_boxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QSpacerItem>
#include <QStyle>

#include "platform/qt/input_queue.h"

namespace platform::qt {

namespace {
// Reports line their values up with tabs, which a label does not expand: each line becomes a
// row of a table, the text before the first tab in one column and the rest in the next.
QString TabbedAsTable(const QString& text) {
  QString html = "<table cellspacing=\"0\" cellpadding=\"1\">";
  for (const QString& line : text.split('\n')) {
    const qsizetype tab = line.indexOf('\t');
    const QString label = tab < 0 ? line : line.left(tab);
    const QString value = tab < 0 ? QString() : line.mid(tab).remove('\t');
    html += "<tr><td style=\"padding-right:12px\">" + label.toHtmlEscaped() + "&nbsp;</td><td>" +
            value.toHtmlEscaped() + "</td></tr>";
  }
  return html + "</table>";
}
}  // namespace

std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* owner, const std::string& text,
                                             const std::string& title, unsigned style) {
  auto box = std::make_unique<QMessageBox>(owner);
  box->setWindowTitle(QString::fromLocal8Bit(title.c_str()));
  const QString shown = QString::fromLocal8Bit(text.c_str());
  if (shown.contains('\t')) {
    box->setTextFormat(Qt::RichText);
    box->setText(TabbedAsTable(shown));
  } else {
    box->setText(shown);
  }
  box->setIcon((style & MB_ICONHAND) ? QMessageBox::Critical : QMessageBox::NoIcon);
  if ((style & 0xF) == MB_RETRYCANCEL) {
    box->setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
    box->setDefaultButton((style & MB_DEFBUTTON2) ? QMessageBox::Cancel : QMessageBox::Retry);
    box->setEscapeButton(QMessageBox::Cancel);
  } else if ((style & 0xF) == MB_YESNO) {
    box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton((style & MB_DEFBUTTON2) ? QMessageBox::No : QMessageBox::Yes);
    box->setEscapeButton(QMessageBox::No);
  } else {
    box->setStandardButtons(QMessageBox::Ok);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Ok);
  }
  // A short text with a longer title (the path under "Delete this file?") would leave the
  // window manager too narrow a title bar: the box is at least as wide as its title needs.
  if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int buttons =
        4 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box.get());
    const int width = QFontMetrics(titleFont).horizontalAdvance(box->windowTitle()) + buttons;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  box->setWindowModality((style & MB_SYSTEMMODAL) || !owner ? Qt::ApplicationModal
                                                            : Qt::WindowModal);
  return box;
}

int ButtonId(int standardButton) {
  switch (standardButton) {
    case QMessageBox::Retry:
      return IDRETRY;
    case QMessageBox::Cancel:
      return IDCANCEL;
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    default:
      return IDOK;
  }
}

int MessageBoxes::Show(HWND owner, const std::string& text, const std::string& title,
                       unsigned style) {
  QWidget* parent = ownerWidget_ && owner ? ownerWidget_(owner) : nullptr;
  if (!parent) parent = QApplication::activeWindow();
  std::unique_ptr<QMessageBox> box = BuildMessageBox(parent, text, title, style);
  InputQueue* queue = InputQueue::Instance();
  if (queue) queue->SuspendCapture();
  const int pressed = box->exec();
  if (queue) queue->ResumeCapture();
  // A box closed by the window manager answers as Escape would.
  if (pressed == 0 || pressed == QMessageBox::NoButton)
    return ButtonId(box->standardButton(box->escapeButton()));
  return ButtonId(pressed);
}

}  // namespace platform::qt
