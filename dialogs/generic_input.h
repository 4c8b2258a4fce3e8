// TGenericInput: asks for one line of text. The caller's buffer holds the initial text and,
// after OK, at most capacity characters of the edited one.
#pragma once

#include <string>

#include "framework/dialog.h"

namespace lanterna {

class TGenericInput : public framework::TDialog {
 public:
  // text: a buffer of capacity + 1 bytes; title null keeps the template's caption.
  TGenericInput(QWidget* parent, const std::string& templateName, const char* title, char* text,
                int capacity);

 protected:
  void SetupWindow() override;
  void CmOk() override;

 private:
  char* text_;
  const char* title_;
  int capacity_;
};

}  // namespace lanterna
