#include "dialogs/help_viewer.h"

#include <QApplication>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/window.h"
#include "platform/exten.h"

namespace lanterna {

namespace {

constexpr const char* kBoxTitle = "Help";

bool IsPage(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

void ReportMissing(QWidget* owner, const std::string& text) {
  platform::HWND hwnd = framework::TWindow::Of(owner);
  platform::ShowErrorBox(hwnd, text.c_str(), kBoxTitle, platform::MB_OK);
}

}  // namespace

// ---- HelpFile ------------------------------------------------------------------------------

std::optional<HelpFile> HelpFile::Load(const std::string& path) {
  std::ifstream map(path + "/contexts");
  if (!map) return std::nullopt;
  HelpFile file;
  file.dir = path;
  std::string line;
  while (std::getline(map, line)) {
    std::istringstream fields(line);
    std::string key, page;
    if (!(fields >> key >> page) || key[0] == '#') continue;
    if (key == "index") {
      file.indexPage = page;
    } else if (key.find_first_not_of("0123456789") == std::string::npos) {
      file.contextPages[std::stoul(key)] = page;
    }
  }
  return file;
}

std::string HelpFile::IndexPath() const {
  if (indexPage.empty()) return {};
  const std::string p = dir + "/" + indexPage;
  return IsPage(p) ? p : std::string();
}

std::string HelpFile::ContextPath(unsigned long context) const {
  auto it = contextPages.find(context);
  if (it == contextPages.end()) return {};
  const std::string p = dir + "/" + it->second;
  return IsPage(p) ? p : std::string();
}

// ---- THelpViewer ---------------------------------------------------------------------------

THelpViewer::THelpViewer() : browser_(new QTextBrowser(this)) {
  setWindowTitle(kHelpViewerTitle);
  // A window of its own, as a separate help program would be: the viewer ending does not
  // wait for it, and it closes when the viewer asks at exit.
  setAttribute(Qt::WA_QuitOnClose, false);
  browser_->setOpenExternalLinks(true);
  auto* bar = new QToolBar(this);
  bar->addAction("Contents", this, [this] {
    if (!indexPath_.empty()) browser_->setSource(QUrl::fromLocalFile(indexPath_.c_str()));
  });
  QAction* back = bar->addAction("Back", browser_, &QTextBrowser::backward);
  QAction* forward = bar->addAction("Forward", browser_, &QTextBrowser::forward);
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(browser_);
  resize(640, 520);
}

void THelpViewer::ShowPage(const HelpFile& file, const std::string& path) {
  indexPath_ = file.IndexPath();
  browser_->setSource(QUrl::fromLocalFile(QString::fromLocal8Bit(path.c_str())));
  show();
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

// ---- entry points --------------------------------------------------------------------------

THelpViewer* FindHelpViewer() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* viewer = dynamic_cast<THelpViewer*>(w)) return viewer;
  return nullptr;
}

void WinHelp(QWidget* owner, const std::string& helpFile, unsigned command, unsigned long data) {
  if (command == HELP_QUIT) {
    CloseHelpViewer();
    return;
  }
  if (command != HELP_INDEX && command != HELP_CONTEXT) return;
  const std::optional<HelpFile> file = HelpFile::Load(helpFile);
  if (!file) {
    ReportMissing(owner, "Cannot find the help file " + helpFile + ".");
    return;
  }
  const std::string page = command == HELP_INDEX ? file->IndexPath() : file->ContextPath(data);
  if (page.empty()) {
    ReportMissing(owner, command == HELP_INDEX
                             ? "The help file " + helpFile + " has no contents page."
                             : "The topic " + std::to_string(data) +
                                   " does not exist in the help file " + helpFile + ".");
    return;
  }
  THelpViewer* viewer = FindHelpViewer();
  if (!viewer) {
    viewer = new THelpViewer;
    if (owner) viewer->move(owner->window()->geometry().topLeft() + QPoint(40, 40));
  }
  viewer->ShowPage(*file, page);
}

bool CloseHelpViewer() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->windowTitle() != kHelpViewerTitle) continue;
    // At once, not posted: at exit no message loop is left to deliver it.
    w->close();
    if (dynamic_cast<THelpViewer*>(w)) delete w;
    return true;
  }
  return false;
}

}  // namespace lanterna
