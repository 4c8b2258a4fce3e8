// The help viewer: the topics of the shipped help file, the index, reuse of the window,
// missing files and topics, and closing at exit.
#include "dialogs/help_viewer.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTextBrowser>
#include <filesystem>
#include <fstream>
#include <memory>

#include "framework/frame.h"
#include "resources/resources.h"
#include "shell/app.h"
#include "shell/frame.h"
#include "tests/gui/gui_support.h"

namespace {

using lanterna::CloseHelpViewer;
using lanterna::FindHelpViewer;
using lanterna::HELP_CONTEXT;
using lanterna::HELP_INDEX;
using lanterna::HELP_QUIT;
using lanterna::WinHelp;

QWidget* TopLevelTitled(const QString& title) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->windowTitle() == title && w->isVisible()) return w;
  return nullptr;
}

class HelpViewerTest : public guitest::ViewerTest {
 protected:
  void TearDown() override {
    CloseHelpViewer();
    ViewerTest::TearDown();
  }
  static QString Shown() { return FindHelpViewer()->Browser()->toPlainText(); }
  static QString ShownTitle() { return FindHelpViewer()->Browser()->documentTitle(); }
  const std::string help = LANTERNA_HELP_DIR;
};

TEST_F(HelpViewerTest, RenderTopicOpensTheHelpWindow) {
  WinHelp(nullptr, help, HELP_CONTEXT, 263);
  ASSERT_NE(FindHelpViewer(), nullptr);
  EXPECT_EQ(TopLevelTitled("Quelna Lanterna Help"), FindHelpViewer());
  EXPECT_EQ(ShownTitle(), "Render");
  for (const char* words : {"AutoShade", ".RND", "RENDER", "SAVEIMG", "MSLIDE"})
    EXPECT_TRUE(Shown().contains(words)) << words;
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(HelpViewerTest, ServerTopicAndIndexReuseTheSameWindow) {
  WinHelp(nullptr, help, HELP_CONTEXT, 264);
  lanterna::THelpViewer* viewer = FindHelpViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(ShownTitle(), "Server");
  for (const char* words :
       {"AddType application/x-autocad-slide", "application/x-autocad-slide-library",
        "application/x-autoshade-rendering", "nginx", "lanterna.desktop", "lanterna-slide"})
    EXPECT_TRUE(Shown().contains(words)) << words;

  WinHelp(nullptr, help, HELP_INDEX, 0);
  EXPECT_EQ(FindHelpViewer(), viewer);
  EXPECT_EQ(ShownTitle(), "Quelna Lanterna Help");
  EXPECT_TRUE(Shown().contains("Using the viewer"));
  // The user closed it: the next call shows it again.
  viewer->close();
  WinHelp(nullptr, help, HELP_CONTEXT, 263);
  EXPECT_EQ(FindHelpViewer(), viewer);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_EQ(ShownTitle(), "Render");
}

TEST_F(HelpViewerTest, EveryLinkOfTheHelpFileLeadsToAPage) {
  const QRegularExpression href("<a href=\"([^\"#:]+)(#[^\"]*)?\"");
  int links = 0;
  for (const auto& entry : std::filesystem::directory_iterator(help)) {
    if (entry.path().extension() != ".html") continue;
    std::ifstream in(entry.path());
    const QString page = QString::fromStdString(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    for (auto m = href.globalMatch(page); m.hasNext(); ++links) {
      const std::string target = help + "/" + m.next().captured(1).toStdString();
      EXPECT_TRUE(std::filesystem::is_regular_file(target)) << entry.path() << " -> " << target;
    }
  }
  EXPECT_GT(links, 5);
  // The contents page reaches the page on using the viewer, with the keys of the program.
  WinHelp(nullptr, help, HELP_INDEX, 0);
  FindHelpViewer()->Browser()->setSource(QUrl("using.html"));
  EXPECT_EQ(ShownTitle(), "Using the viewer");
  for (const char* words : {"Ctrl+O", "Ctrl+C", "Ctrl+B", "Alt+X", "Ctrl+R", "F1", "Auto Close"})
    EXPECT_TRUE(Shown().contains(words)) << words;
}

TEST_F(HelpViewerTest, TheBuildPutsTheHelpFileNextToTheProgram) {
  const std::string built = LANTERNA_BUILT_HELP;
  WinHelp(nullptr, built, HELP_CONTEXT, 264);
  ASSERT_NE(FindHelpViewer(), nullptr);
  EXPECT_EQ(ShownTitle(), "Server");
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(HelpViewerTest, HelpCommandsOfTheFrameShowTheirTopics) {
  // The program's directory holds the help file the build put there.
  lanterna::Shell().ProgramDir =
      std::filesystem::path(LANTERNA_BUILT_HELP).parent_path().string() + "/";
  lanterna::Shell().CommandLine = "";
  auto app = std::make_unique<lanterna::TMyApp>();
  app->Start();
  auto* frame = dynamic_cast<lanterna::TMyFrame*>(app->GetMainWindow());
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->isVisible(); }));
  frame->RouteCommand(lanterna::res::CM_HELPRENDER);
  ASSERT_NE(FindHelpViewer(), nullptr);
  EXPECT_EQ(ShownTitle(), "Render");
  frame->RouteCommand(lanterna::res::CM_HELPSERVER);
  EXPECT_EQ(ShownTitle(), "Server");
  QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
  QApplication::sendEvent(frame, &f1);
  EXPECT_EQ(ShownTitle(), "Quelna Lanterna Help");
  EXPECT_TRUE(boxes.boxes.empty());
  // The viewer is a window of its own: it outlives the frame until it is closed at exit.
  app.reset();
  EXPECT_NE(FindHelpViewer(), nullptr);
  EXPECT_TRUE(CloseHelpViewer());
}

TEST_F(HelpViewerTest, MissingHelpFileOrTopicIsReportedInABox) {
  framework::TFrameWindow owner("owner");
  WinHelp(&owner, dir.File("LANTERNA.HLP"), HELP_INDEX, 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find(dir.File("LANTERNA.HLP")), std::string::npos);
  EXPECT_EQ(boxes.boxes[0].owner, static_cast<platform::HWND>(&owner));
  EXPECT_EQ(boxes.boxes[0].style, platform::MB_OK);
  EXPECT_EQ(FindHelpViewer(), nullptr);

  // A help file with a map but without the page of a context.
  std::filesystem::create_directory(dir.File("SHORT.HLP"));
  std::ofstream(dir.File("SHORT.HLP/contexts")) << "index index.html\n263 gone.html\n";
  std::ofstream(dir.File("SHORT.HLP/index.html")) << "<title>Short</title>Only this";
  WinHelp(nullptr, dir.File("SHORT.HLP"), HELP_CONTEXT, 263);
  WinHelp(nullptr, dir.File("SHORT.HLP"), HELP_CONTEXT, 999);
  ASSERT_EQ(boxes.boxes.size(), 3u);
  EXPECT_NE(boxes.boxes[1].text.find("263"), std::string::npos);
  EXPECT_NE(boxes.boxes[2].text.find("999"), std::string::npos);
  EXPECT_EQ(FindHelpViewer(), nullptr);
  WinHelp(nullptr, dir.File("SHORT.HLP"), HELP_INDEX, 0);
  ASSERT_NE(FindHelpViewer(), nullptr);
  EXPECT_EQ(ShownTitle(), "Short");
}

TEST_F(HelpViewerTest, CloseHelpViewerClosesTheWindowOnce) {
  EXPECT_FALSE(CloseHelpViewer());
  WinHelp(nullptr, help, HELP_INDEX, 0);
  ASSERT_NE(TopLevelTitled("Quelna Lanterna Help"), nullptr);
  EXPECT_TRUE(CloseHelpViewer());
  EXPECT_EQ(TopLevelTitled("Quelna Lanterna Help"), nullptr);
  EXPECT_EQ(FindHelpViewer(), nullptr);
  EXPECT_FALSE(CloseHelpViewer());

  WinHelp(nullptr, help, HELP_CONTEXT, 264);
  ASSERT_NE(FindHelpViewer(), nullptr);
  WinHelp(nullptr, help, HELP_QUIT, 0);
  EXPECT_EQ(FindHelpViewer(), nullptr);
}

}  // namespace
