// The about box: product name, icon, and the version and copyright lines read from the
// program file's own version record.
#pragma once

#include <string>

#include "framework/dialog.h"

namespace lanterna {

class LanternaAboutDlg : public framework::TDialog {
 public:
  // moduleFile: the program file whose version record is shown (empty: this program).
  explicit LanternaAboutDlg(QWidget* parent, const std::string& moduleFile = {});

 protected:
  void SetupWindow() override;

 private:
  std::string moduleFile_;
};

// Centres a top-level window on the desktop, truncating toward zero.
void CentreOnDesktop(QWidget* window);

}  // namespace lanterna
