// Every slide and library of the corpus, when it is there, opens in the viewer and is drawn to
// the end without an error box.
#include <algorithm>
#include <filesystem>

#include "shell/app.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "slide/library.h"
#include "tests/gui/gui_support.h"

namespace {

namespace fs = std::filesystem;
using lanterna::Shell;

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  std::error_code ec;
  if (!fs::is_directory(LANTERNA_CORPUS_DIR, ec)) return files;
  for (const auto& entry : fs::directory_iterator(LANTERNA_CORPUS_DIR)) {
    const std::string ext = entry.path().extension().string();
    if (entry.is_regular_file() && ext != ".md") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class CorpusViewerTest : public guitest::ViewerTest {};

TEST_F(CorpusViewerTest, EveryFileOpensAndIsDrawnToTheEnd) {
  const std::vector<std::string> files = CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus beside the repository";
  Shell().CommandLine = "";
  lanterna::TMyApp app;
  app.Start();
  auto* frame = dynamic_cast<lanterna::TMyFrame*>(app.GetMainWindow());
  frame->resize(900, 700);
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->isVisible(); }));
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    frame->SendMessage(lanterna::WM_OPENBYNAME, 1, reinterpret_cast<intptr_t>(file.c_str()));
    std::vector<lanterna::TMyChild*> windows = Shell().Client->SlideWindows();
    ASSERT_FALSE(windows.empty());
    // Each window is drawn completely once; a library's members may be icons.
    for (lanterna::TMyChild* w : windows) w->showNormal();
    EXPECT_TRUE(guitest::PumpUntil([&] {
      for (lanterna::TMyChild* w : Shell().Client->SlideWindows())
        if (!w->DrawingComplete()) return false;
      return true;
    }));
    EXPECT_EQ(Shell().Client->SlideWindows().size(), windows.size());
    for (lanterna::TMyChild* w : Shell().Client->SlideWindows())
      EXPECT_GT(guitest::NonWhitePixels(w->View()->Surface()), 20) << w->GetCaption();
  }
  EXPECT_EQ(fixtures::BoxTexts(boxes), "");
}

}  // namespace
