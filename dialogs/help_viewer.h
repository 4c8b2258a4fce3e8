// The help viewer the Help commands open: the pages of a help file in a window of its own,
// titled "Quelna Lanterna Help".
//
// A help file is a directory (LANTERNA.HLP) of HTML pages with a map named "contexts":
// one entry a line, "index PAGE" for the contents page and "NUMBER PAGE" for each context;
// blank lines and lines starting with '#' are skipped.
#pragma once

#include <QWidget>
#include <map>
#include <optional>
#include <string>

class QTextBrowser;

namespace lanterna {

constexpr unsigned HELP_CONTEXT = 1;
constexpr unsigned HELP_QUIT = 2;
constexpr unsigned HELP_INDEX = 3;

constexpr const char* kHelpViewerTitle = "Quelna Lanterna Help";

struct HelpFile {
  std::string dir;
  std::string indexPage;
  std::map<unsigned long, std::string> contextPages;
  // The help file's map, or nothing when the file or its map cannot be read.
  static std::optional<HelpFile> Load(const std::string& path);
  // The full path of a page; empty when the file has no such page.
  std::string IndexPath() const;
  std::string ContextPath(unsigned long context) const;
};

class THelpViewer : public QWidget {
 public:
  THelpViewer();
  // Shows a page of the help file (a full path) and brings the window to the front.
  void ShowPage(const HelpFile& file, const std::string& path);
  QTextBrowser* Browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
  std::string indexPath_;
};

// The Windows help call over our viewer: HELP_INDEX shows the contents page, HELP_CONTEXT the
// page of context data, HELP_QUIT closes the viewer. A help file or topic that is not there is
// reported in a box owned by owner.
void WinHelp(QWidget* owner, const std::string& helpFile, unsigned command, unsigned long data);
// The help viewer window, if one exists (shown or not).
THelpViewer* FindHelpViewer();
// Closes the top-level window titled "Quelna Lanterna Help", if there is one; true if so.
bool CloseHelpViewer();

}  // namespace lanterna
