#include "dialogs/about.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstdio>

#include "dialogs/version_record.h"
#include "resources/dialog_templates.h"

namespace lanterna {

namespace {
constexpr int kVersionLine = 22001;
constexpr int kCopyrightLine = 22002;
constexpr int kSpecialBuildLine = 22003;
}  // namespace

void CentreOnDesktop(QWidget* window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!window || !screen) return;
  const QRect desktop = screen->geometry();
  const QSize size = window->frameGeometry().size();
  const int left = static_cast<int>((desktop.right() + 1 - size.width()) / 2.0);
  const int top = static_cast<int>((desktop.bottom() + 1 - size.height()) / 2.0);
  window->move(left, top);
}

LanternaAboutDlg::LanternaAboutDlg(QWidget* parent, const std::string& moduleFile)
    : TDialog(parent, res::kAboutDialog),
      moduleFile_(moduleFile.empty() ? ModuleFileName() : moduleFile) {}

void LanternaAboutDlg::SetupWindow() {
  CentreOnDesktop(this);
  const ProjectRCVersion version(moduleFile_);
  std::string name, number, copyright, special;
  if (version.ReadProductName(name) && version.ReadProductVersion(number)) {
    std::string label = GetDlgItemText(kVersionLine).substr(0, 127);
    char line[512];
    std::snprintf(line, sizeof line, "%s %s %s", name.c_str(), label.c_str(), number.c_str());
    SetDlgItemText(kVersionLine, line);
  } else {
    SetDlgItemText(kVersionLine, "W32 2.1");
  }
  if (version.ReadLegalCopyright(copyright)) SetDlgItemText(kCopyrightLine, copyright);
  if (version.ReadSpecialBuild(special)) SetDlgItemText(kSpecialBuildLine, special);
}

}  // namespace lanterna
