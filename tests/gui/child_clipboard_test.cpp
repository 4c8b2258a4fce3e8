// Copy Vectors and Copy Bitmap of the slide window: what reaches the clipboard, what the window
// shows afterwards, and the progress texts around the copy.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <cstdio>
#include <regex>

#include "framework/gadgets.h"
#include "platform/qt/input_queue.h"
#include "resources/resources.h"
#include "tests/gui/child_window_fixture.h"

namespace {

using lanterna::Shell;
using lanterna::TMyChild;

class ChildClipboardTest : public guitest::SlideWindowTest {
 protected:
  void SetUp() override {
    SlideWindowTest::SetUp();
    platform::SetMessageWindowService(&mex);
    QGuiApplication::clipboard()->clear();
  }
  void TearDown() override {
    platform::SetMessageWindowService(nullptr);
    SlideWindowTest::TearDown();
  }
  // The copy is shown in the message window and the status bar, and undone afterwards.
  void ExpectCopyShownAndCleared(const std::string& caption) {
    ASSERT_EQ(mex.calls.size(), 2u);
    EXPECT_EQ(mex.calls[0].text, "Copy...");
    EXPECT_EQ(mex.calls[0].title, caption);
    EXPECT_EQ(mex.calls[0].kind, 0x40);
    EXPECT_FALSE(mex.calls[1].hasText || mex.calls[1].hasTitle);
    EXPECT_EQ(Shell().StatusBar->GetText(), "");
    EXPECT_EQ(lanterna::InterruptMask(0), lanterna::kDefaultInterruptMask);
  }
  static QImage ImageOf(const gdi::Bitmap& b) { return lanterna::BitmapImage(b); }
  static std::pair<int, int> SvgSize(const QByteArray& svg) {
    std::cmatch m;
    const std::regex size(
        R"re(<svg[^>]*\swidth="(\d+)"\s+height="(\d+)"[^>]*viewBox="0 0 (\d+) (\d+)")re");
    if (!std::regex_search(svg.constData(), m, size) || m[1] != m[3] || m[2] != m[4]) return {};
    return {std::stoi(m[1]), std::stoi(m[2])};
  }

  platform::RecordingMessageWindow mex;
};

TEST_F(ChildClipboardTest, CopyBitmapHandsOverTheDrawingAndDrawsAFreshOne) {
  TMyChild* child = OpenDrawn(SmallSlide(), 200, 150);
  const gdi::PixelVector before = child->NormalBitmap()->pixels;
  const QImage expected = ImageOf(*child->NormalBitmap());
  frame->RouteCommand(lanterna::res::CM_EDITCOPYBITMAP);
  const QImage copied = QGuiApplication::clipboard()->image();
  ASSERT_FALSE(copied.isNull());
  EXPECT_EQ(copied.size(), QSize(200, 150));
  EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), expected);
  ASSERT_TRUE(child->DrawingComplete());
  EXPECT_TRUE(child->NormalBitmap()->pixels == before);
  EXPECT_EQ(lanterna::ClipboardBitmap(), nullptr);
  ExpectCopyShownAndCleared("test");
}

TEST_F(ChildClipboardTest, CopyBitmapOfAPartialDrawingKeepsTheEarlierPicture) {
  TMyChild* child = Open(BigSlide());
  QCoreApplication::postEvent(child->View(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
  child->EvPaint();
  ASSERT_FALSE(child->DrawingComplete());
  ASSERT_TRUE(guitest::PumpUntil([] { return platform::qt::InputQueue::Instance()->Held() == 0; }));
  const QImage partial = ImageOf(*child->NormalBitmap());
  const int partialInk = guitest::NonWhitePixels(*child->NormalBitmap());

  frame->RouteCommand(lanterna::res::CM_EDITCOPYBITMAP);
  // The clipboard has the picture as it was; the window, drawn without interruption, all of it.
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), partial);
  ASSERT_TRUE(child->DrawingComplete());
  EXPECT_GT(guitest::NonWhitePixels(*child->NormalBitmap()), partialInk);
  ExpectCopyShownAndCleared("test");
}

TEST_F(ChildClipboardTest, CopyVectorsPutsAnSvgWithTheSlideProportions) {
  TMyChild* child = OpenDrawn(SmallSlide(400, 100), 200, 200);
  frame->RouteCommand(lanterna::res::CM_EDITCOPY);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  ASSERT_TRUE(data->hasFormat("image/svg+xml"));
  const QByteArray svg = data->data("image/svg+xml");
  EXPECT_EQ(SvgSize(svg), std::make_pair(400, 100));
  EXPECT_TRUE(svg.contains("<path"));
  // The window's own drawing is untouched by the copy.
  EXPECT_TRUE(child->DrawingComplete());
  ExpectCopyShownAndCleared("test");
}

TEST_F(ChildClipboardTest, CopyVectorsOfASlideNoLongerThereLeavesTheClipboardEmpty) {
  // Removed after it opened: a file missing at opening is refused at once.
  const std::string slide = SmallSlide();
  TMyChild* gone = Open(slide);
  std::remove(slide.c_str());
  frame->RouteCommand(lanterna::res::CM_EDITCOPY);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  EXPECT_FALSE(data && data->hasFormat("image/svg+xml"));
  ExpectCopyShownAndCleared("test");
  gone->Destroy();
}

}  // namespace
