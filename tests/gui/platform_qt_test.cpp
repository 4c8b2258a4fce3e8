#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include "platform/qt/input_queue.h"
#include "platform/qt/message_boxes.h"
#include "platform/qt/surface_window.h"
#include "slide/loader.h"
#include "tests/gui/gui_support.h"

namespace {

using platform::qt::InputQueue;

TEST(QtInputQueue, EventsStandForTheirMessages) {
  uintptr_t w = 0;
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, {});
  EXPECT_EQ(InputQueue::MessageOf(&esc, &w), platform::WM_KEYDOWN);
  EXPECT_EQ(w, platform::VK_ESCAPE);
  QKeyEvent a(QEvent::KeyPress, Qt::Key_A, {});
  InputQueue::MessageOf(&a, &w);
  EXPECT_EQ(w, uintptr_t('A'));
  QMouseEvent right(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::RightButton,
                    Qt::RightButton, {});
  EXPECT_EQ(InputQueue::MessageOf(&right, &w), platform::WM_RBUTTONDOWN);
  QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(1, 1), QPointF(1, 1), Qt::MiddleButton,
                  Qt::MiddleButton, {});
  EXPECT_EQ(InputQueue::MessageOf(&dbl, &w), platform::WM_MBUTTONDBLCLK);
  QEvent paint(QEvent::Paint);
  EXPECT_EQ(InputQueue::MessageOf(&paint, &w), 0u);
}

class Recorder : public QWidget {
 public:
  std::vector<int> keys;
  void keyPressEvent(QKeyEvent* e) override { keys.push_back(e->key()); }
};

TEST(QtInputQueue, HoldsInputDuringADrawingAndDeliversItInOrder) {
  InputQueue* q = InputQueue::Instance();
  ASSERT_NE(q, nullptr);
  Recorder w;
  q->BeginDrawing();
  QCoreApplication::postEvent(&w, new QKeyEvent(QEvent::KeyPress, Qt::Key_1, {}));
  QCoreApplication::postEvent(&w, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
  QCoreApplication::processEvents();
  platform::PendingMessage m{};
  EXPECT_FALSE(q->Peek(platform::WM_LBUTTONDOWN, platform::WM_MBUTTONDBLCLK, &m));
  ASSERT_TRUE(q->Peek(platform::WM_KEYDOWN, platform::WM_KEYDOWN, &m));
  EXPECT_EQ(m.wParam, uintptr_t('1'));  // the first one, left in the queue
  EXPECT_TRUE(q->Peek(platform::WM_KEYDOWN, platform::WM_KEYDOWN, &m));
  EXPECT_TRUE(w.keys.empty());
  q->EndDrawing();
  ASSERT_TRUE(guitest::PumpUntil([&] { return w.keys.size() == 2; }, 2000));
  EXPECT_EQ(w.keys, (std::vector<int>{Qt::Key_1, Qt::Key_Escape}));
  EXPECT_EQ(q->Held(), 0u);
  EXPECT_FALSE(q->Peek(platform::WM_KEYDOWN, platform::WM_KEYDOWN, &m));
}

TEST(QtInputQueue, InputForAWindowDestroyedMeanwhileIsDropped) {
  InputQueue* q = InputQueue::Instance();
  auto w = std::make_unique<Recorder>();
  q->BeginDrawing();
  QCoreApplication::postEvent(w.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_1, {}));
  QCoreApplication::processEvents();
  EXPECT_EQ(q->Held(), 1u);
  w.reset();
  platform::PendingMessage m{};
  EXPECT_FALSE(q->Peek(platform::WM_KEYDOWN, platform::WM_KEYDOWN, &m));
  q->EndDrawing();
  guitest::Pump(30);
  EXPECT_EQ(q->Held(), 0u);
}

TEST(QtMessageBoxes, ButtonsAndDefaultsFollowTheStyle) {
  auto ok = platform::qt::BuildMessageBox(nullptr, "text", "Error", 0);
  EXPECT_EQ(ok->windowTitle().toStdString(), "Error");
  EXPECT_EQ(ok->text().toStdString(), "text");
  EXPECT_EQ(ok->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(ok->icon(), QMessageBox::NoIcon);

  auto sys = platform::qt::BuildMessageBox(nullptr, "Invalid Handle Window in EvPaint",
                                           "MsWindows Error", 0x1000);
  EXPECT_EQ(sys->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(sys->windowModality(), Qt::ApplicationModal);

  auto retry = platform::qt::BuildMessageBox(nullptr, "q", "Errore", 0x115);
  EXPECT_EQ(retry->standardButtons(), QMessageBox::Retry | QMessageBox::Cancel);
  EXPECT_EQ(retry->defaultButton(), retry->button(QMessageBox::Cancel));
  EXPECT_EQ(retry->icon(), QMessageBox::Critical);
  auto retryFirst = platform::qt::BuildMessageBox(nullptr, "q", "Errore", 0x15);
  EXPECT_EQ(retryFirst->defaultButton(), retryFirst->button(QMessageBox::Retry));

  // Tabbed reports show as two aligned columns, the values escaped.
  auto info = platform::qt::BuildMessageBox(nullptr, "Size:\t\t<12>\nType:\tSLD", "Info", 0);
  EXPECT_EQ(info->textFormat(), Qt::RichText);
  EXPECT_NE(info->text().indexOf("<td>&lt;12&gt;</td>"), -1) << info->text().toStdString();
  EXPECT_NE(info->text().indexOf("Type:&nbsp;</td><td>SLD</td>"), -1);

  EXPECT_EQ(platform::qt::ButtonId(QMessageBox::Retry), platform::IDRETRY);
  EXPECT_EQ(platform::qt::ButtonId(QMessageBox::Cancel), platform::IDCANCEL);
  EXPECT_EQ(platform::qt::ButtonId(QMessageBox::Ok), platform::IDOK);
}

TEST(QtMessageBoxes, BoxesAreWideEnoughForTitleAndText) {
  struct Case {
    const char* text;
    const char* title;
    unsigned style;
  } cases[] = {
      {"/tmp/a.sld", "Delete this file?", platform::MB_YESNO | platform::MB_DEFBUTTON2},
      {"q", "Errore", 0x115},
      {"Select *.SLD or *.SLB (Autocad Slide)", "Error", 0},
  };
  for (const Case& c : cases) {
    auto box = platform::qt::BuildMessageBox(nullptr, c.text, c.title, c.style);
    box->show();
    guitest::Pump(10);
    // A title bar holds the title in a bold font beside the window's buttons.
    QFont bold = QApplication::font();
    bold.setBold(true);
    const int buttons =
        3 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box.get());
    EXPECT_GE(box->width(), QFontMetrics(bold).horizontalAdvance(c.title) + buttons) << c.title;
    for (QLabel* label : box->findChildren<QLabel*>()) {
      if (label->text() == c.text) {
        EXPECT_GE(label->width(), label->sizeHint().width()) << c.text;
      }
    }
    box->hide();
  }
}

TEST(QtMessageBoxes, ABoxInsideADrawingGetsItsInput) {
  InputQueue* q = InputQueue::Instance();
  platform::qt::MessageBoxes service;
  q->BeginDrawing();
  int answer = 0;
  // Answered by a key press on the box: Escape gives Cancel.
  QTimer::singleShot(50, [] {
    if (QWidget* box = QApplication::activeModalWidget())
      QCoreApplication::postEvent(box, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
  });
  QTimer::singleShot(3000, [] {  // never hang: close whatever box is left
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  answer = service.Show(nullptr, "q", "Errore", 0x115);
  q->EndDrawing();
  EXPECT_EQ(answer, platform::IDCANCEL);
  EXPECT_EQ(q->Held(), 0u);
}

TEST(QtSurfaceWindow, EngineDrawsOnTheSurfaceTheWidgetShows) {
  platform::qt::SurfaceWindow w;
  w.resize(200, 100);
  w.show();
  guitest::Pump(20);
  gdi::HDC dc = platform::GetDC(&w);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(w.Surface().width, 200);
  gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 1, gdi::RGB(255, 0, 0));
  gdi::HGDIOBJ old = gdi::SelectObject(dc, pen);
  gdi::MoveToEx(dc, 10, 50, nullptr);
  gdi::LineTo(dc, 190, 50);
  gdi::SelectObject(dc, old);
  gdi::DeleteObject(pen);
  // Resizing while a context is out keeps the pixels where they are until it is released.
  w.resize(300, 120);
  guitest::Pump(20);
  EXPECT_EQ(w.Surface().width, 200);
  platform::ReleaseDC(&w, dc);
  EXPECT_EQ(w.Surface().width, 300);
  EXPECT_EQ(w.Surface().At(100, 50), gdi::RGB(255, 0, 0));
  EXPECT_EQ(w.Surface().At(250, 110), gdi::RGB(255, 255, 255));
  QImage shown = w.grab().toImage();
  EXPECT_EQ(QColor(shown.pixel(100, 50)), QColor(255, 0, 0));
  EXPECT_EQ(QColor(shown.pixel(100, 10)), QColor(255, 255, 255));
  gdi::RECT r{};
  platform::GetClientRect(&w, &r);
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 120);
}

// A zoom or pan shows the old picture scaled and moved at once: each device pixel takes the old
// pixel under its centre, the background where there is none; the widget shows the same.
TEST(QtSurfaceWindow, PreviewTakesTheOldPixelUnderEachCentre) {
  platform::qt::SurfaceWindow w;
  w.resize(8, 6);
  w.show();
  guitest::Pump(20);
  ASSERT_EQ(w.Surface().width, 8);
  gdi::Bitmap old;
  old.width = 4;
  old.height = 3;
  for (uint32_t i = 0; i < 12; ++i) old.pixels.push_back(gdi::RGB(10 * i, 1, 2));
  const gdi::COLORREF background = gdi::RGB(0, 0, 9);
  w.ShowPreview(old, 2.0, 1.0, 0.0, background);  // twice the size, one pixel to the right
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      const int from = (x + 1) / 2 - 1;  // floor((x + 0.5 - 1) / 2)
      EXPECT_EQ(w.Surface().At(x, y), from < 0 ? background : old.At(from, y / 2)) << x << "," << y;
    }
  EXPECT_EQ(w.Previews(), 1);
  EXPECT_EQ(QColor(w.grab().toImage().pixel(7, 5)), QColor(10 * 11, 1, 2));
}

}  // namespace
