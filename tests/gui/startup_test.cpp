#include <QLabel>
#include <QScreen>
#include <fstream>
#include <sstream>

#include "framework/frame.h"
#include "platform/profile.h"
#include "resources/resources.h"
#include "shell/app.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "tests/gui/gui_support.h"

namespace {

using lanterna::Shell;

std::string Contents(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class TestApp : public lanterna::TMyApp {
 public:
  using TMyApp::IdleAction;
};

class StartupTest : public guitest::ViewerTest {};

TEST_F(StartupTest, NoSettingsFileGivesDefaultsAndExitWritesThemInOrder) {
  lanterna::ReadSettings();
  EXPECT_EQ(Shell().XPos, 1);
  EXPECT_EQ(Shell().YPos, 1);
  EXPECT_EQ(Shell().WPos, 400);
  EXPECT_EQ(Shell().HPos, 300);
  EXPECT_EQ(Shell().AutoClose, 1);
  EXPECT_EQ(Shell().ShowDelay, 3);
  EXPECT_EQ(Shell().MaxAutoIconize, 20);
  QSize outer;
  {
    TestApp app;
    app.Start();
    auto* frame = dynamic_cast<lanterna::TMyFrame*>(app.GetMainWindow());
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(guitest::PumpUntil([&] { return frame->isVisible(); }));
    EXPECT_EQ(frame->windowTitle().toStdString(), "Quelna WWW Slide Viewer");
    EXPECT_EQ(frame->GetClassName(), "QVLanternaTMyFrame");
    // No size stored: two thirds of the desktop, centred (the frame with its decorations).
    const QRect desktop = frame->screen()->availableGeometry();
    EXPECT_EQ(frame->frameGeometry(), lanterna::FirstPlacement(desktop));
    EXPECT_EQ(lanterna::FirstPlacement(QRect(0, 30, 1920, 1050)), QRect(320, 205, 1280, 700));
    EXPECT_EQ(Shell().StatusBar->GetText(), "Click Right to resize");
    // The user moves the frame; closing records where it is.
    ASSERT_TRUE(guitest::PumpUntil([&] { return frame->PlacementSettled(); }));
    frame->move(30, 40);
    frame->resize(500, 350);
    guitest::Pump(50);
    outer = frame->frameGeometry().size();
    frame->close();
    ASSERT_TRUE(guitest::PumpUntil([&] { return !frame->isVisible(); }));
    app.DestroyMainWindow();
  }
  lanterna::WriteSettings();
  EXPECT_EQ(
      Contents(platform::ProfilePath("QVINI.INI")),
      "[Lanterna]\nVer=2.1\nXPos=30\nYPos=40\nWPos=" + std::to_string(outer.width()) +
          "\nHPos=" + std::to_string(outer.height()) +
          "\nLastDir=\nAutoClose=1\nShowDelay=3\nMaxAutoIconize=20\nMemberNames=\nLibraryView=1\nBlackBackground=0\n");
}

TEST_F(StartupTest, StoredPlacementIsKeptOnTheDesktop) {
  platform::WritePrivateProfileString("Lanterna", "XPos", "-50", "QVINI.INI");
  platform::WritePrivateProfileString("Lanterna", "YPos", "-50", "QVINI.INI");
  platform::WritePrivateProfileString("Lanterna", "WPos", "400", "QVINI.INI");
  platform::WritePrivateProfileString("Lanterna", "HPos", "300", "QVINI.INI");
  platform::WritePrivateProfileString("Lanterna", "ShowDelay", "9", "QVINI.INI");
  platform::WritePrivateProfileString("Other", "Keep", "1", "QVINI.INI");
  platform::WritePrivateProfileString("Lanterna", "MemberNames", "big5", "QVINI.INI");
  lanterna::ReadSettings();
  EXPECT_EQ(Shell().ShowDelay, 9);
  EXPECT_EQ(Shell().NameCodePage, "big5");
  TestApp app;
  app.Start();
  QWidget* frame = app.GetMainWindow();
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->isVisible(); }));
  EXPECT_EQ(frame->pos(), QPoint(0, 0));
  app.DestroyMainWindow();

  // Far to the right: moved left until its right edge touches the desktop's.
  Shell().XPos = 100000;
  Shell().YPos = 5;
  TestApp second;
  second.Start();
  frame = second.GetMainWindow();
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->isVisible(); }));
  const QRect desktop = frame->screen()->availableGeometry();
  // (Wide enough for the bars at the fonts in use.)
  const int width = frame->frameGeometry().width();
  EXPECT_GE(width, 400);
  EXPECT_EQ(frame->frameGeometry(), QRect(desktop.width() - width, 5, width, 300));
  second.DestroyMainWindow();
  lanterna::WriteSettings();
  EXPECT_EQ(platform::GetPrivateProfileInt("Other", "Keep", 0, "QVINI.INI"), 1);
}

TEST(FramePlacement, ShrunkToTheDesktopThenKeptOnIt) {
  const QRect desktop(0, 0, 1280, 1024);
  struct Case {
    QRect stored, placed;
  } cases[] = {
      {{0, 0, 1600, 1200}, {0, 0, 1280, 1024}},      // a bigger monitor earlier
      {{300, 200, 1600, 1200}, {0, 0, 1280, 1024}},  // never at a negative position
      {{-50, -50, 400, 300}, {0, 0, 400, 300}},     {{1200, 900, 400, 300}, {880, 724, 400, 300}},
      {{1, 1, 400, 300}, {1, 1, 400, 300}},
  };
  for (const Case& c : cases) EXPECT_EQ(lanterna::PlacementOnDesktop(c.stored, desktop), c.placed);
  // Below a panel at the top: the title bar stays under it.
  EXPECT_EQ(lanterna::PlacementOnDesktop({0, 0, 400, 300}, {0, 30, 1280, 994}),
            QRect(0, 30, 400, 300));
}

TEST(FramePlacement, ClientAreaLeavesRoomForTheDecorations) {
  const QMargins openbox(1, 25, 1, 1);
  // The frame a late window manager grew, placed again once its decorations are known.
  EXPECT_EQ(lanterna::ClientForPlacement({0, 0, 1282, 1049}, openbox, {0, 0, 1280, 1024}),
            QRect(1, 25, 1278, 998));
  EXPECT_EQ(lanterna::ClientForPlacement({5, -19, 400, 300}, openbox, {0, 0, 1280, 1024}),
            QRect(6, 25, 398, 274));
}

TEST_F(StartupTest, OversizedStoredFrameOpensOnTheScreen) {
  Shell().XPos = 1;
  Shell().YPos = 1;
  Shell().WPos = 5000;
  Shell().HPos = 4000;
  TestApp app;
  app.Start();
  QWidget* frame = app.GetMainWindow();
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->isVisible(); }));
  const QRect desktop = frame->screen()->availableGeometry();
  EXPECT_TRUE(desktop.contains(frame->frameGeometry())) << frame->frameGeometry().width();
  // Grown past the desktop (as by decorations told late): what is saved still fits on it.
  ASSERT_TRUE(guitest::PumpUntil(
      [&] { return dynamic_cast<lanterna::TMyFrame*>(frame)->PlacementSettled(); }));
  frame->resize(desktop.width() + 2, desktop.height() + 25);
  guitest::Pump(30);
  frame->close();
  EXPECT_LE(Shell().WPos, desktop.width());
  EXPECT_LE(Shell().HPos, desktop.height());
  app.DestroyMainWindow();
}

TEST_F(StartupTest, ToolBarAndMenuFollowTheResources) {
  TestApp app;
  app.Start();
  auto* frame = dynamic_cast<lanterna::TMyFrame*>(app.GetMainWindow());
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->isVisible(); }));
  std::vector<int> order;
  for (framework::TGadget* g : Shell().ToolBar->Gadgets()) {
    if (auto* b = dynamic_cast<framework::TButtonGadget*>(g)) {
      order.push_back(static_cast<int>(b->CommandId()));
    } else {
      order.push_back(-dynamic_cast<framework::TSeparatorGadget*>(g)->Size());
    }
  }
  EXPECT_EQ(order, (std::vector<int>{24332, 1045, -6, 24362, 24363, -6, 1025, 1026, -6,    1027,
                                     1035,  1028, -6, 1033,  1053,  -1, 1034, -18,  24365, 24310}));
  EXPECT_EQ(Shell().StatusBar->Gadgets().size(), 3u);
  EXPECT_EQ(Shell().CaptionGadget->NumChars(), 23);
  EXPECT_EQ(Shell().CountGadget->NumChars(), 5);
  // Without slide windows Redraw is off; Exit is on.
  frame->UpdateCommandStates();
  EXPECT_TRUE(Shell().ToolBar->GadgetWithId(24310)->Enabled());
  EXPECT_FALSE(Shell().ToolBar->GadgetWithId(1033)->Enabled());
  EXPECT_FALSE(frame->MenuAction(lanterna::res::CM_REDRAW)->isEnabled());
  EXPECT_EQ(frame->MenuAction(24332)->text().toStdString(), "&Open...\tCtrl+O");
  EXPECT_EQ(frame->TranslateAccelerator(Qt::Key_Tab, Qt::NoModifier), 105u);
  EXPECT_EQ(frame->TranslateAccelerator(Qt::Key_X, Qt::AltModifier), 104u);
  EXPECT_EQ(lanterna::res::LoadString(1031),
            "WWW Close old opened windows before open new windows");
  // Exit closes the frame.
  frame->RouteCommand(lanterna::res::CM_EXIT);
  EXPECT_TRUE(guitest::PumpUntil([&] { return !frame->isVisible(); }));
  app.DestroyMainWindow();
}

TEST_F(StartupTest, BarsShowWholeAtTheStoredDefaultSize) {
  // The size older versions stored: too narrow for the bars at today's fonts.
  for (const char* key : {"XPos", "YPos"})
    platform::WritePrivateProfileString("Lanterna", key, "1", "QVINI.INI");
  platform::WritePrivateProfileString("Lanterna", "WPos", "400", "QVINI.INI");
  platform::WritePrivateProfileString("Lanterna", "HPos", "300", "QVINI.INI");
  lanterna::ReadSettings();
  TestApp app;
  app.Start();
  QWidget* frame = app.GetMainWindow();
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->isVisible(); }));
  guitest::Pump(30);
  for (framework::TGadget* g : Shell().ToolBar->Gadgets()) {
    if (auto* b = dynamic_cast<framework::TButtonGadget*>(g)) {
      EXPECT_TRUE(b->Widget()->isVisible()) << b->CommandId();
    }
  }
  QLabel* message = nullptr;
  for (QLabel* label : Shell().StatusBar->findChildren<QLabel*>())
    if (label->text() == "Click Right to resize") message = label;
  ASSERT_NE(message, nullptr);
  EXPECT_GE(message->width(), message->sizeHint().width());
  app.DestroyMainWindow();
}

TEST_F(StartupTest, MouseInterruptionRepaintsAboutASecondLater) {
  TestApp app;
  app.Start();
  ASSERT_TRUE(guitest::PumpUntil([&] { return app.GetMainWindow()->isVisible(); }));
  lanterna::InterruptCause() = lanterna::kInterruptMouse;
  const int64_t start = lanterna::TickCount();
  EXPECT_TRUE(app.IdleAction(0));
  EXPECT_TRUE(Shell().InterruptWaiting);
  ASSERT_TRUE(guitest::PumpUntil([&] { return !app.IdleAction(0); }, 3000));
  EXPECT_GE(lanterna::TickCount() - start, 1000);
  EXPECT_EQ(lanterna::InterruptCause(), 0u);
  EXPECT_TRUE(Shell().PaintEnabled);
  app.DestroyMainWindow();
}

}  // namespace
