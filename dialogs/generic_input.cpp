#include "dialogs/generic_input.h"

#include <QLineEdit>
#include <algorithm>
#include <cstring>

#include "resources/resources.h"

namespace lanterna {

namespace {
constexpr int kEditId = 101;
constexpr int kEditBuffer = 256;  // the edit is read into this much, terminator included
}  // namespace

TGenericInput::TGenericInput(QWidget* parent, const std::string& templateName, const char* title,
                             char* text, int capacity)
    : TDialog(parent, templateName), text_(text), title_(title), capacity_(capacity) {}

void TGenericInput::SetupWindow() {
  setCursor(res::LoadCursor("CUR_MANO"));
  SetDlgItemText(kEditId, text_ ? text_ : "");
  if (title_) setWindowTitle(QString::fromLocal8Bit(title_));
  if (QWidget* edit = GetDlgItem(kEditId)) edit->setFocus();
}

void TGenericInput::CmOk() {
  std::string typed = GetDlgItemText(kEditId);
  if (typed.size() > kEditBuffer - 1) typed.resize(kEditBuffer - 1);
  if (text_ && capacity_ >= 0) {
    const size_t n = std::min(typed.size(), static_cast<size_t>(capacity_));
    std::memcpy(text_, typed.data(), n);
    text_[n] = '\0';
  }
  TDialog::CmOk();
}

}  // namespace lanterna
