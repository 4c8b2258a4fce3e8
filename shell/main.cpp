// lanterna: the desktop viewer. One optional file name on the command line, or --version.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <string>

#include "dialogs/message_window.h"
#include "lanterna_version.h"
#include "platform/exten.h"
#include "platform/qt/input_queue.h"
#include "platform/qt/message_boxes.h"
#include "resources/license_notice.h"
#include "shell/app.h"
#include "shell/instance.h"
#include "shell/library_browser.h"

int main(int argc, char** argv) {
  // Answered before Qt starts, so that it works without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("lanterna " LANTERNA_VERSION);
    std::fputs(lanterna::kLicenseNotice, stdout);
    return 0;
  }
  QApplication qapp(argc, argv);
  // The command line is one file name; a name with blanks may come unquoted in pieces.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) commandLine += (i > 1 ? " " : "") + std::string(argv[i]);

  // The running viewer may have started in another directory.
  if (lanterna::HandOverToRunningInstance(
          lanterna::AbsoluteCommandLine(commandLine, QDir::currentPath().toStdString())))
    return 0;

  lanterna::InstanceServer server;
  platform::qt::InputQueue input;
  platform::qt::MessageBoxes boxes(lanterna::OwnerWidget);
  platform::SetMessageBoxService(&boxes);
  lanterna::InstallMessageWindow();
  const std::string programDir =
      QFileInfo(QCoreApplication::applicationFilePath()).absolutePath().toStdString() + "/";
  const int status = lanterna::RunViewer(commandLine, programDir);
  lanterna::RemoveDragFolders();
  platform::SetMessageBoxService(nullptr);
  platform::SetMessageWindowService(nullptr);
  return status;
}
