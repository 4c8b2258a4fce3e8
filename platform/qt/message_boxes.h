// Error boxes as real modal message boxes.
#pragma once

#include <QMessageBox>
#include <memory>

#include "platform/exten.h"

namespace platform::qt {

// The box for a style: OK, or Retry/Cancel with the second button default; a hand icon
// for MB_ICONHAND; application-wide modal for MB_SYSTEMMODAL.
std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* owner, const std::string& text,
                                             const std::string& title, unsigned style);
// The button id (IDOK, IDRETRY, IDCANCEL) a standard button stands for.
int ButtonId(int standardButton);

class MessageBoxes : public MessageBoxService {
 public:
  // Owners are looked up with this function (the framework's windows); null: the active window.
  explicit MessageBoxes(QWidget* (*ownerWidget)(HWND) = nullptr) : ownerWidget_(ownerWidget) {}
  int Show(HWND owner, const std::string& text, const std::string& title, unsigned style) override;

 private:
  QWidget* (*ownerWidget_)(HWND);
};

}  // namespace platform::qt
