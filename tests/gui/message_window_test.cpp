// The message window: sizes from the font, the four ShowMex cases, painting and closing.
#include "dialogs/message_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScreen>
#include <memory>
#include <string>

#include "framework/frame.h"
#include "platform/qt/surface_window.h"
#include "tests/gui/gui_support.h"

namespace {

using lanterna::CurrentMessageWindow;
using lanterna::TQVMex;

void CloseMex() {
  platform::ShowMex(nullptr, nullptr, nullptr, 0, 0);
}

int MessageWindowsAlive() {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (dynamic_cast<TQVMex*>(w)) ++n;
  return n;
}

class MessageWindowTest : public guitest::ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    lanterna::InstallMessageWindow();
  }
  void TearDown() override {
    CloseMex();
    platform::SetMessageWindowService(nullptr);
    ViewerTest::TearDown();
  }
  // A text drawn character by character is as wide as its characters' advances.
  static int Width(const TQVMex* mex, const QString& text) {
    const QFontMetrics fm(mex->font());
    int w = 0;
    for (QChar c : text) w += fm.horizontalAdvance(QString(c));
    return w;
  }
  static int LineHeight(const TQVMex* mex) { return QFontMetrics(mex->font()).height(); }
  static QPoint Centred(const TQVMex* mex) {
    const QRect desktop = QGuiApplication::primaryScreen()->geometry();
    return {desktop.x() + (desktop.width() - mex->frameGeometry().width()) / 2,
            desktop.y() + (desktop.height() - mex->frameGeometry().height()) / 2};
  }
  static int DarkPixels(const QImage& image, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if (image.rect().contains(x, y) && qGray(image.pixel(x, y)) < 160) ++n;
    return n;
  }
};

TEST_F(MessageWindowTest, OneLineTextIsThreeLinesHighAndLeavesRoomForTheIcon) {
  platform::ShowMex(nullptr, "Converting to DXF...", "Wait...", 0x40, 0);
  TQVMex* mex = CurrentMessageWindow();
  ASSERT_NE(mex, nullptr);
  EXPECT_TRUE(mex->isVisible());
  EXPECT_TRUE(mex->isWindow());
  EXPECT_FALSE(mex->isEnabled());
  EXPECT_EQ(mex->windowTitle(), "Wait...");
  EXPECT_STREQ(mex->Text(), "Converting to DXF...");
  EXPECT_EQ(mex->LineCount(), 2);
  EXPECT_EQ(mex->LineHeight(), LineHeight(mex));
  EXPECT_EQ(mex->IconSpace(), 42);
  EXPECT_EQ(mex->height(), std::max(3 * LineHeight(mex), 42) + 20);
  EXPECT_EQ(mex->width(), Width(mex, "Converting to DXF...") + 42 + 30);
  // Painted before the call returned, with no event loop in between.
  EXPECT_GT(mex->Paints(), 0);
  EXPECT_EQ(mex->pos(), Centred(mex));
  // A caption only: no system menu, no minimise, maximise or close box.
  const Qt::WindowFlags flags = mex->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
  EXPECT_FALSE(
      flags & (Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint));
}

TEST_F(MessageWindowTest, LinesAreCountedAndTheWidestOneSetsTheWidth) {
  platform::ShowMex(nullptr, "a\nwider line\nmid", "T", 0x40, 0);
  TQVMex* mex = CurrentMessageWindow();
  ASSERT_NE(mex, nullptr);
  EXPECT_EQ(mex->LineCount(), 4);
  EXPECT_EQ(mex->height(), 5 * LineHeight(mex) + 20);
  EXPECT_EQ(mex->width(), Width(mex, "wider line") + 42 + 30);

  // A text ending in a line break has one more, empty, line.
  platform::ShowMex(nullptr, "Closing file\n", "T", 0x40, 0);
  EXPECT_EQ(mex->LineCount(), 3);
  EXPECT_EQ(mex->height(), 4 * LineHeight(mex) + 20);
  EXPECT_EQ(mex->width(), Width(mex, "Closing file") + 42 + 30);
}

TEST_F(MessageWindowTest, TitleWiderThanTheTextWidensTheWindow) {
  const QString title = "Quelna WWW Slide Viewer and a long caption";
  platform::ShowMex(nullptr, "x", title.toLocal8Bit().constData(), 0x40, 0);
  TQVMex* mex = CurrentMessageWindow();
  ASSERT_NE(mex, nullptr);
  EXPECT_EQ(mex->width(), Width(mex, title) + 42 + 30);
}

TEST_F(MessageWindowTest, IconSpaceComesWithAnIconKindAndStays) {
  platform::ShowMex(nullptr, "plain", "T", 0, 0);
  TQVMex* mex = CurrentMessageWindow();
  ASSERT_NE(mex, nullptr);
  EXPECT_EQ(mex->IconSpace(), 0);
  EXPECT_EQ(mex->width(), Width(mex, "plain") + 30);
  platform::ShowMex(nullptr, "plain", "T", 0x30, 0);
  EXPECT_EQ(mex->IconSpace(), 42);
  platform::ShowMex(nullptr, "plain", "T", 0, 0);
  EXPECT_EQ(mex->IconSpace(), 42);
  EXPECT_EQ(mex->width(), Width(mex, "plain") + 42 + 30);
  // The icon drawn is the one of the kind the window was made with.
  EXPECT_EQ(mex->Kind(), 0);
}

TEST_F(MessageWindowTest, IconAndTextArePaintedWhereTheyBelong) {
  platform::ShowMex(nullptr, "MMMM\nMMMM", "T", 0x10, 0);
  TQVMex* mex = CurrentMessageWindow();
  ASSERT_NE(mex, nullptr);
  const int lh = LineHeight(mex);
  QImage shown = mex->grab().toImage();
  const QRect icon(10, mex->height() / 2 - 16, 32, 32);
  EXPECT_GT(DarkPixels(shown, icon), 20);
  const int textWidth = Width(mex, "MMMM");
  EXPECT_GT(DarkPixels(shown, QRect(62, 10, textWidth, lh)), 10);
  EXPECT_GT(DarkPixels(shown, QRect(62, 10 + lh, textWidth, lh)), 10);
  // Nothing between the icon and the text, nor right of the text.
  EXPECT_EQ(DarkPixels(shown, QRect(44, 0, 16, 10 + 2 * lh)), 0);
  EXPECT_EQ(DarkPixels(shown, QRect(62 + textWidth + 2, 0, 6, mex->height())), 0);
  CloseMex();

  // Without an icon kind the text starts at 20 and there is no icon.
  platform::ShowMex(nullptr, "MMMM", "T", 0, 0);
  mex = CurrentMessageWindow();
  ASSERT_NE(mex, nullptr);
  shown = mex->grab().toImage();
  EXPECT_EQ(DarkPixels(shown, QRect(0, 0, 19, mex->height())), 0);
  EXPECT_GT(DarkPixels(shown, QRect(20, 10, Width(mex, "MMMM"), lh)), 10);
}

TEST_F(MessageWindowTest, TextIsHeldToNineHundredNinetyNineCharacters) {
  std::string text;
  while (text.size() < 1200) text += text.size() % 50 == 49 ? '\n' : 'a';
  platform::ShowMex(nullptr, text.c_str(), "T", 0x40, 0);
  TQVMex* mex = CurrentMessageWindow();
  ASSERT_NE(mex, nullptr);
  const std::string kept = mex->Text();
  EXPECT_EQ(kept, text.substr(0, 999));
  const int breaks = static_cast<int>(std::count(kept.begin(), kept.end(), '\n'));
  EXPECT_EQ(mex->LineCount(), breaks + 2);
  EXPECT_EQ(mex->height(), (breaks + 3) * LineHeight(mex) + 20);
  EXPECT_EQ(mex->width(), Width(mex, QString(49, 'a')) + 42 + 30);
}

TEST_F(MessageWindowTest, UpdatesChangeTheWindowInPlaceAndCentreItAgain) {
  platform::ShowMex(nullptr, "first", "Quelna WWW Slide Viewer", 0x40, 0);
  TQVMex* mex = CurrentMessageWindow();
  ASSERT_NE(mex, nullptr);
  const int paints = mex->Paints();
  mex->move(0, 0);
  platform::ShowMex(nullptr, "a much longer second text", "Quelna WWW Slide Viewer", 0x40, 0);
  EXPECT_EQ(CurrentMessageWindow(), mex);
  EXPECT_EQ(MessageWindowsAlive(), 1);
  EXPECT_STREQ(mex->Text(), "a much longer second text");
  EXPECT_EQ(mex->pos(), Centred(mex));
  EXPECT_GT(mex->Paints(), paints);

  // No text: the text stays and only the title changes.
  platform::ShowMex(nullptr, nullptr, "Wait...", 0x40, 0);
  EXPECT_STREQ(mex->Text(), "a much longer second text");
  EXPECT_EQ(mex->windowTitle(), "Wait...");
  EXPECT_EQ(mex->pos(), Centred(mex));
  // No title: the title bar is emptied.
  platform::ShowMex(nullptr, "third", nullptr, 0x40, 0);
  EXPECT_EQ(mex->windowTitle(), "");
  EXPECT_STREQ(mex->Text(), "third");
  EXPECT_EQ(mex->pos(), Centred(mex));
}

TEST_F(MessageWindowTest, ClosesOnlyThroughShowMexAndTwiceIsHarmless) {
  // Nothing to show and nothing shown: nothing happens.
  CloseMex();
  EXPECT_EQ(CurrentMessageWindow(), nullptr);
  EXPECT_EQ(MessageWindowsAlive(), 0);

  platform::ShowMex(nullptr, "Copy...", "slide.sld", 0x40, 0);
  TQVMex* mex = CurrentMessageWindow();
  ASSERT_NE(mex, nullptr);
  EXPECT_FALSE(mex->close());
  EXPECT_TRUE(mex->isVisible());
  EXPECT_EQ(CurrentMessageWindow(), mex);

  CloseMex();
  EXPECT_EQ(CurrentMessageWindow(), nullptr);
  EXPECT_EQ(MessageWindowsAlive(), 0);
  CloseMex();
  EXPECT_EQ(MessageWindowsAlive(), 0);
}

TEST_F(MessageWindowTest, PositiveDelayShowsTheWindowAndClosesItBeforeReturning) {
  QElapsedTimer timer;
  timer.start();
  platform::ShowMex(nullptr, "briefly", "T", 0x40, 40);
  EXPECT_GE(timer.elapsed(), 40);
  EXPECT_EQ(CurrentMessageWindow(), nullptr);
  EXPECT_EQ(MessageWindowsAlive(), 0);
  // The next call makes a new window.
  platform::ShowMex(nullptr, "again", "T", 0x40, 0);
  EXPECT_NE(CurrentMessageWindow(), nullptr);
}

TEST_F(MessageWindowTest, BelongsToTheOwnersTopLevelWindowAndLeavesTheFocusAlone) {
  auto frame = std::make_unique<framework::TFrameWindow>("owner");
  auto* surface = new platform::qt::SurfaceWindow(frame.get());
  frame->setCentralWidget(surface);
  frame->show();
  frame->activateWindow();
  ASSERT_TRUE(guitest::PumpUntil([&] { return QApplication::activeWindow() == frame.get(); }));

  // A child's owner is its top-level window; the surface is a plain Qt window of the engine.
  platform::ShowMex(surface, "loading", "Quelna WWW Slide Viewer", 0x40, 0);
  TQVMex* mex = CurrentMessageWindow();
  ASSERT_NE(mex, nullptr);
  EXPECT_EQ(mex->parentWidget(), frame.get());
  EXPECT_TRUE(mex->isWindow());
  platform::ShowMex(nullptr, "next", "Quelna WWW Slide Viewer", 0x40, 0);
  guitest::Pump(50);
  EXPECT_EQ(mex->parentWidget(), frame.get());
  // It never takes the keyboard (off screen, every window shown is made active regardless).
  EXPECT_TRUE(mex->windowFlags() & Qt::WindowDoesNotAcceptFocus);
  EXPECT_TRUE(mex->testAttribute(Qt::WA_ShowWithoutActivating));
  if (QGuiApplication::platformName() != "offscreen") {
    EXPECT_NE(QApplication::activeWindow(), mex);
  }
  CloseMex();

  // An owner that goes away takes its message window with it; ShowMex knows.
  platform::ShowMex(frame.get(), "loading", "T", 0x40, 0);
  ASSERT_NE(CurrentMessageWindow(), nullptr);
  frame.reset();
  EXPECT_EQ(CurrentMessageWindow(), nullptr);
  EXPECT_EQ(MessageWindowsAlive(), 0);
  CloseMex();
}

}  // namespace
