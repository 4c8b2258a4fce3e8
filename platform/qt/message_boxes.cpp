#include "platform/qt/message_boxes.h"

#include <QApplication>

#include "platform/qt/input_queue.h"

namespace platform::qt {

std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* owner, const std::string& text,
                                             const std::string& title, unsigned style) {
  auto box = std::make_unique<QMessageBox>(owner);
  box->setWindowTitle(QString::fromLocal8Bit(title.c_str()));
  box->setText(QString::fromLocal8Bit(text.c_str()));
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
