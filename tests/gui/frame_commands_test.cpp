// The frame's commands on the set of slide windows, opening by name and by drop, the slide
// show, and the preferences.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <climits>

#include "dialogs/generic_input.h"
#include "framework/gadgets.h"
#include "framework/window_list.h"
#include "resources/resources.h"
#include "shell/app.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "tests/gui/gui_support.h"
#include "tests/slide_writer.h"

namespace {

using lanterna::Shell;
using lanterna::TMyChild;
namespace res = lanterna::res;

class TestApp : public lanterna::TMyApp {
 public:
  using TMyApp::IdleAction;
};

fixtures::Bytes SmallSlide(int shift = 0) {
  fixtures::SlideWriter w(400, 300);
  w.Colour(1).Vector(10 + shift, 10, 300, 200).Vector(300, 10, 10 + shift, 200);
  return w.EndOfFile().Build();
}

class FrameCommandsTest : public guitest::ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    platform::SetMessageWindowService(&mex);
    Shell().CommandLine = "";
    app = std::make_unique<TestApp>();
    app->Start();
    frame = dynamic_cast<lanterna::TMyFrame*>(app->GetMainWindow());
    frame->resize(800, 600);
    ASSERT_TRUE(guitest::PumpUntil([&] { return frame->isVisible(); }));
  }
  void TearDown() override {
    app.reset();
    platform::SetMessageWindowService(nullptr);
    ViewerTest::TearDown();
  }
  std::string Library(const std::string& name, int members) {
    std::vector<fixtures::Member> list;
    for (int i = 0; i < members; ++i) list.push_back({"M" + std::to_string(i), SmallSlide(i)});
    return dir.Write(name, fixtures::LibraryBytes(list));
  }
  void Open(const std::string& name, bool handedOver = false) {
    frame->SendMessage(lanterna::WM_OPENBYNAME, handedOver ? 1 : 0,
                       reinterpret_cast<intptr_t>(name.c_str()));
    guitest::Pump(30);
  }
  std::vector<TMyChild*> Windows() const { return Shell().Client->SlideWindows(); }
  bool Enabled(uint32_t id) {
    framework::TCommandEnabler ce(id);
    frame->RouteEnable(ce);
    return ce.Enabled;
  }
  void Command(uint32_t id) {
    frame->RouteCommand(id);
    guitest::Pump(30);
  }
  // Runs the delay dialog, typing text and pressing OK.
  void SetDelay(const char* typed) {
    QTimer::singleShot(0, [typed] {
      guitest::PumpUntil(
          [] {
            return dynamic_cast<lanterna::TGenericInput*>(QApplication::activeModalWidget()) !=
                   nullptr;
          },
          3000);
      auto* d = dynamic_cast<lanterna::TGenericInput*>(QApplication::activeModalWidget());
      if (!d) return;
      d->Item<QLineEdit>(101)->setText(typed);
      d->Item<QPushButton>(1)->click();
    });
    frame->RouteCommand(res::CM_SLIDESHOWDELAY);
  }
  // Idle turns for about ms milliseconds.
  void Idle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
      app->IdleAction(0);
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
  }

  platform::RecordingMessageWindow mex;
  std::unique_ptr<TestApp> app;
  lanterna::TMyFrame* frame = nullptr;
};

TEST_F(FrameCommandsTest, ArrangementCommandsAreDisabledWithoutWindows) {
  for (uint32_t id : {res::CM_ICONIZEALL, res::CM_RESTOREALL, res::CM_ENLARGEPREV,
                      res::CM_ENLARGENEXT, res::CM_CONVERTDXF, res::CM_SLIDESHOW,
                      res::CM_SLIDESHOWBUTTON, res::CM_CASCADECHILDREN, res::CM_TILECHILDREN,
                      res::CM_TILECHILDRENHORIZ, res::CM_ARRANGEICONS, res::CM_CLOSECHILDREN})
    EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_TRUE(Enabled(res::CM_AUTOCLOSE));
  EXPECT_TRUE(Enabled(res::CM_FILEOPEN));
  Open(dir.Write("one.sld", SmallSlide()));
  EXPECT_TRUE(Enabled(res::CM_ICONIZEALL));
  EXPECT_TRUE(Enabled(res::CM_TILECHILDREN));
  // A show needs two windows.
  EXPECT_FALSE(Enabled(res::CM_SLIDESHOW));
  Open(dir.Write("two.sld", SmallSlide(5)));
  EXPECT_TRUE(Enabled(res::CM_SLIDESHOW));
  EXPECT_TRUE(Enabled(res::CM_SLIDESHOWBUTTON));
}

TEST_F(FrameCommandsTest, NamesAreShownInCapitalsAndOpenedAsGiven) {
  const std::string path = dir.Write("Roof.sld", SmallSlide());
  Open("\"" + path + "\"");
  ASSERT_EQ(Windows().size(), 1u);
  EXPECT_EQ(Windows()[0]->GetCaption(), "ROOF.SLD");
  EXPECT_EQ(Windows()[0]->FileName(), path);
  ASSERT_TRUE(guitest::PumpUntil([&] { return Windows()[0]->DrawingComplete(); }));
  // A name of no known kind: the box names it, nothing opens.
  Open(dir.File("notes.txt"));
  EXPECT_EQ(Windows().size(), 1u);
  ASSERT_FALSE(boxes.boxes.empty());
  EXPECT_EQ(boxes.boxes.back().text, "Select *.SLD or *.SLB (Autocad Slide)");
}

TEST_F(FrameCommandsTest, LibraryOpensOneWindowPerMemberThenTilesOrIconises) {
  Open(Library("three.slb", 3));
  std::vector<TMyChild*> w = Windows();
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0]->GetCaption(), "M0 - (three.slb) ");
  // Tiled side by side: same top, increasing left edges, none minimised.
  for (size_t i = 0; i < w.size(); ++i) {
    EXPECT_FALSE(w[i]->IsIconic());
    EXPECT_EQ(w[i]->y(), 0);
    if (i) {
      EXPECT_GT(w[i]->x(), w[i - 1]->x());
    }
  }
  // Closing them all leaves Qt nothing to complain about.
  static std::vector<std::string> warnings;
  warnings.clear();
  QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
        if (m.contains("QMdiArea")) warnings.push_back(m.toStdString());
      });
  Command(res::CM_CLOSECHILDREN);
  ASSERT_TRUE(guitest::PumpUntil([&] { return Shell().ChildCount == 0; }));
  guitest::Pump(30);
  qInstallMessageHandler(previous);
  EXPECT_TRUE(warnings.empty()) << warnings.front();
  Open(Library("many.slb", 25));
  ASSERT_EQ(Windows().size(), 25u);
  EXPECT_EQ(Shell().ChildCount, 25);
  for (TMyChild* c : Windows()) EXPECT_TRUE(c->IsIconic());
}

TEST_F(FrameCommandsTest, AutoCloseAppliesToHandedOverNamesOnly) {
  const std::string a = dir.Write("a.sld", SmallSlide()), b = dir.Write("b.sld", SmallSlide(3));
  Open(a);
  Open(b, true);  // handed over, Auto Close on: a goes
  ASSERT_EQ(Windows().size(), 1u);
  EXPECT_EQ(Windows()[0]->GetCaption(), "B.SLD");
  Command(res::CM_AUTOCLOSE);
  EXPECT_EQ(Shell().AutoClose, 0);
  framework::TCommandEnabler ce(res::CM_AUTOCLOSE);
  frame->RouteEnable(ce);
  EXPECT_EQ(ce.Check, 0);
  Open(a, true);
  EXPECT_EQ(Windows().size(), 2u);
  Command(res::CM_AUTOCLOSE);
  EXPECT_EQ(Shell().AutoClose, 1);
}

TEST_F(FrameCommandsTest, DroppingThreeFilesWithAutoCloseLeavesThem) {
  Open(dir.Write("old.sld", SmallSlide()));
  QMimeData data;
  QList<QUrl> urls;
  for (const char* n : {"x.sld", "y.sld", "z.SLD"})
    urls << QUrl::fromLocalFile(QString::fromStdString(dir.Write(n, SmallSlide())));
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(Shell().Client->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(Shell().Client->viewport(), &drop);
  guitest::Pump(50);
  std::vector<TMyChild*> w = Windows();
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0]->GetCaption(), "X.SLD");
  EXPECT_EQ(w[2]->GetCaption(), "Z.SLD");
}

TEST_F(FrameCommandsTest, IconizeAllShowsEachTitleThenRepaintsOnce) {
  for (const char* n : {"a.sld", "b.sld", "c.sld"}) Open(dir.Write(n, SmallSlide()));
  mex.calls.clear();
  Command(res::CM_ICONIZEALL);
  ASSERT_EQ(mex.calls.size(), 4u);
  EXPECT_EQ(mex.calls[0].text, "A.SLD");
  EXPECT_EQ(mex.calls[0].title, "Quelna WWW Slide Viewer");
  EXPECT_EQ(mex.calls[2].text, "C.SLD");
  EXPECT_FALSE(mex.calls[3].hasText || mex.calls[3].hasTitle);
  for (TMyChild* c : Windows()) EXPECT_TRUE(c->IsIconic());
  EXPECT_TRUE(Shell().PaintEnabled);
  Command(res::CM_RESTOREALL);
  for (TMyChild* c : Windows()) EXPECT_FALSE(c->IsIconic());
}

TEST_F(FrameCommandsTest, TileRestoresWhenTheActiveWindowIsAnIcon) {
  for (const char* n : {"a.sld", "b.sld", "c.sld"}) Open(dir.Write(n, SmallSlide()));
  std::vector<TMyChild*> w = Windows();
  // Only an inactive window minimised: it stays an icon.
  Shell().Client->setActiveSubWindow(w[0]);
  w[2]->showMinimized();
  Shell().Client->setActiveSubWindow(w[0]);
  Command(res::CM_TILECHILDRENHORIZ);
  EXPECT_TRUE(w[2]->IsIconic());
  EXPECT_FALSE(w[0]->IsIconic());
  // Stacked: same left edge, increasing tops.
  EXPECT_EQ(w[0]->x(), w[1]->x());
  EXPECT_GT(w[1]->y(), w[0]->y());
  // The active one an icon: all restored and tiled.
  Command(res::CM_ICONIZEALL);
  Shell().Client->setActiveSubWindow(w[1]);
  Command(res::CM_TILECHILDREN);
  for (TMyChild* c : w) EXPECT_FALSE(c->IsIconic());
  EXPECT_GT(w[1]->x(), w[0]->x());
  EXPECT_GT(w[2]->x(), w[1]->x());
}

TEST_F(FrameCommandsTest, CascadeFromTiledGivesUsableWindowsAndIconsWrapIntoRows) {
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->PlacementSettled(); }));
  frame->resize(1000, 700);
  guitest::Pump(30);
  Open(Library("many.slb", 26));
  Shell().Client->SendMessage(framework::WM_COMMAND, res::CM_TILECHILDREN, 0);
  guitest::Pump(30);
  Command(res::CM_RESTOREALL);
  Command(res::CM_TILECHILDRENHORIZ);
  Command(res::CM_CASCADECHILDREN);
  const QRect area = Shell().Client->viewport()->rect();
  for (TMyChild* c : Windows()) {
    EXPECT_GE(c->height(), area.height() * 2 / 3) << c->GetCaption();
    EXPECT_TRUE(area.contains(c->geometry())) << c->GetCaption();
  }
  Command(res::CM_ICONIZEALL);
  for (TMyChild* c : Windows()) {
    ASSERT_TRUE(c->IsIconic());
    EXPECT_TRUE(area.contains(c->geometry())) << c->GetCaption();
  }
}

TEST_F(FrameCommandsTest, RecentFilesAreKeptListedInTheFileMenuAndOpenAgain) {
  const std::string a = dir.Write("a.sld", SmallSlide()), b = dir.Write("b.sld", SmallSlide());
  Open(a);
  Open(b);
  Open(a);
  EXPECT_EQ(Shell().RecentFiles, (std::vector<std::string>{a, b}));
  QMenu* file = frame->menuBar()->actions()[0]->menu();
  emit file->aboutToShow();
  std::vector<std::string> texts;
  QAction* first = nullptr;
  for (QAction* act : file->actions()) {
    if (act->text().startsWith("&1")) first = act;
    if (act->text().contains(QRegularExpression("^&[0-9] ")))
      texts.push_back(act->text().toStdString());
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"&1 " + a, "&2 " + b}));
  emit file->aboutToShow();  // shown again: listed once
  int listed = 0;
  for (QAction* act : file->actions()) listed += act->text().startsWith("&2") ? 1 : 0;
  EXPECT_EQ(listed, 1);
  Shell().Client->CloseChildren();
  guitest::Pump(30);
  ASSERT_NE(first, nullptr);
  first->trigger();
  guitest::Pump(30);
  ASSERT_EQ(Windows().size(), 1u);
  EXPECT_EQ(Windows()[0]->GetCaption(), "A.SLD");
  // Kept in the settings under keys of their own, and read back.
  lanterna::WriteSettings();
  Shell().RecentFiles.clear();
  lanterna::ReadSettings();
  EXPECT_EQ(Shell().RecentFiles, (std::vector<std::string>{a, b}));
}

TEST_F(FrameCommandsTest, NewWindowsFitInsideASmallClientArea) {
  frame->resize(360, 220);
  guitest::Pump(30);
  Open(dir.Write("a.sld", SmallSlide()));
  const QSize room = Shell().Client->viewport()->size();
  ASSERT_EQ(Windows().size(), 1u);
  EXPECT_LE(Windows()[0]->height(), room.height());
  EXPECT_LE(Windows()[0]->width(), room.width());
}

TEST_F(FrameCommandsTest, EnlargeNextAndPreviousMaximiseInOpeningOrder) {
  for (const char* n : {"a.sld", "b.sld", "c.sld"}) Open(dir.Write(n, SmallSlide()));
  std::vector<TMyChild*> w = Windows();
  Shell().Client->setActiveSubWindow(w[0]);
  Command(res::CM_ENLARGENEXT);
  EXPECT_EQ(Shell().Client->ActiveSlide(), w[1]);
  EXPECT_TRUE(w[1]->IsZoomed());
  Command(res::CM_ENLARGEPREV);
  EXPECT_EQ(Shell().Client->ActiveSlide(), w[0]);
  EXPECT_TRUE(w[0]->IsZoomed());
  // A window opened while the active one is maximised opens maximised.
  Open(dir.Write("d.sld", SmallSlide()));
  EXPECT_TRUE(Windows().back()->IsZoomed());
}

TEST_F(FrameCommandsTest, SlideShowDelayTakesOnlyPositiveNumbers) {
  EXPECT_EQ(Shell().ShowDelay, 3);
  SetDelay("0");
  EXPECT_EQ(Shell().ShowDelay, 3);
  SetDelay("-4");
  EXPECT_EQ(Shell().ShowDelay, 3);
  SetDelay("abc");
  EXPECT_EQ(Shell().ShowDelay, 3);
  SetDelay("12abc");
  EXPECT_EQ(Shell().ShowDelay, 12);
  SetDelay("  7");
  EXPECT_EQ(Shell().ShowDelay, 7);
  // Only nine characters come back.
  SetDelay("1234567890123");
  EXPECT_EQ(Shell().ShowDelay, 123456789);
}

TEST_F(FrameCommandsTest, SlideShowStepsCountsDownAndStopsOnAKey) {
  for (const char* n : {"a.sld", "b.sld", "c.sld"}) Open(dir.Write(n, SmallSlide()));
  std::vector<TMyChild*> w = Windows();
  Shell().Client->setActiveSubWindow(w[0]);
  Shell().ShowDelay = 1;
  Command(res::CM_SLIDESHOW);  // the menu flips the button
  EXPECT_TRUE(Shell().SlideShowButton->ButtonState());
  EXPECT_TRUE(Shell().SlideShowOn);
  // The first step comes at once.
  app->IdleAction(0);
  EXPECT_EQ(Shell().Client->ActiveSlide(), w[1]);
  EXPECT_TRUE(w[1]->IsZoomed());
  EXPECT_EQ(Shell().StatusBar->GetText(), "Wait... 1");
  Idle(2300);
  EXPECT_NE(Shell().Client->ActiveSlide(), w[1]);
  // A key ends the show at the next idle turn; every window returns to normal size.
  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(Shell().Client->ActiveSlide(), &key);
  app->IdleAction(0);
  app->IdleAction(0);
  EXPECT_FALSE(Shell().SlideShowOn);
  for (TMyChild* c : Windows()) EXPECT_FALSE(c->IsZoomed());
  // The enabler pops the button up again.
  frame->UpdateCommandStates();
  EXPECT_FALSE(Shell().SlideShowButton->ButtonState());
}

TEST_F(FrameCommandsTest, SlideShowMenuStopsARunningShow) {
  for (const char* n : {"a.sld", "b.sld"}) Open(dir.Write(n, SmallSlide()));
  Command(res::CM_SLIDESHOW);
  app->IdleAction(0);
  EXPECT_TRUE(Shell().SlideShowOn);
  Command(res::CM_SLIDESHOW);
  EXPECT_FALSE(Shell().SlideShowOn);
  EXPECT_FALSE(Shell().SlideShowButton->ButtonState());
  app->IdleAction(0);
  EXPECT_FALSE(Shell().SlideShowRunning);
}

}  // namespace

namespace {

TEST_F(FrameCommandsTest, HelpStaysInTheMenuBarWhileASlideIsMaximised) {
  Open(dir.Write("a.sld", SmallSlide()));
  Windows()[0]->showMaximized();
  guitest::Pump(30);
  QStringList titles;
  for (QAction* a : frame->menuBar()->actions())
    if (a->isVisible()) titles << a->text();
  EXPECT_TRUE(titles.contains("&Help")) << titles.join(",").toStdString();
  EXPECT_NE(frame->MenuAction(res::CM_HELPABOUT), nullptr);
}

// ---- many windows: a library of more members than the Window menu lists -------------------

constexpr int kManyMembers = 60;

class ManyWindowsTest : public FrameCommandsTest {
 protected:
  void OpenMany() {
    Open(Library("many.slb", kManyMembers));
    ASSERT_EQ(static_cast<int>(Windows().size()), kManyMembers);
  }
  QMenu* WindowMenu() const {
    for (QAction* top : frame->menuBar()->actions())
      if (QMenu* m = top->menu())
        for (QAction* a : m->actions())
          if (a->data().toUInt() == res::CM_CASCADECHILDREN) return m;
    return nullptr;
  }
  // The numbered window entries of the Window menu, as it opens now.
  std::vector<QAction*> ListedWindows() const {
    QMenu* menu = WindowMenu();
    emit menu->aboutToShow();
    std::vector<QAction*> out;
    for (QAction* a : menu->actions())
      if (a->text().contains(QRegularExpression("^&[0-9] "))) out.push_back(a);
    return out;
  }
};

TEST_F(ManyWindowsTest, CountGadgetShowsTheWholeCount) {
  OpenMany();
  auto* label = qobject_cast<QLabel*>(Shell().CountGadget->Widget());
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(Shell().CountGadget->GetText(), "60 MDI");
  EXPECT_GE(label->width(), label->sizeHint().width());
  // However many the windows, the number reads whole.
  for (const char* text : {"352 MDI", "12345 MDI", "1 MDI"}) {
    Shell().CountGadget->SetText(text);
    EXPECT_GE(label->width(), label->sizeHint().width()) << text;
  }
}

TEST_F(ManyWindowsTest, WindowMenuListsNineWindowsThenMoreWindows) {
  OpenMany();
  const std::vector<TMyChild*> w = Windows();
  Shell().Client->setActiveSubWindow(w[3]);
  std::vector<QAction*> listed = ListedWindows();
  ASSERT_EQ(listed.size(), 9u);
  EXPECT_EQ(listed[0]->text().toStdString(), "&1 M0 - (many.slb) ");
  EXPECT_TRUE(listed[3]->isChecked());
  EXPECT_EQ(WindowMenu()->actions().back()->text().toStdString(), "&More Windows...");
  // A later window active takes the last place, checked.
  Shell().Client->setActiveSubWindow(w[42]);
  listed = ListedWindows();
  ASSERT_EQ(listed.size(), 9u);
  EXPECT_EQ(listed[8]->text().toStdString(), "&9 M42 - (many.slb) ");
  EXPECT_TRUE(listed[8]->isChecked());
  // Shown again: listed once.
  EXPECT_EQ(ListedWindows().size(), 9u);
}

TEST_F(ManyWindowsTest, MoreWindowsFiltersTheTitlesAndActivatesTheOneChosen) {
  OpenMany();
  struct Case {
    const char* typed;
    std::vector<std::string> shown;
    int pick;  // among those shown
    bool byDoubleClick;
    std::string activated;
  } cases[] = {
      {"m42", {"M42 - (many.slb) "}, 0, false, "M42 - (many.slb) "},
      {"M5",
       {"M5 - (many.slb) ", "M50 - (many.slb) ", "M51 - (many.slb) ", "M52 - (many.slb) ",
        "M53 - (many.slb) ", "M54 - (many.slb) ", "M55 - (many.slb) ", "M56 - (many.slb) ",
        "M57 - (many.slb) ", "M58 - (many.slb) ", "M59 - (many.slb) "},
       2,
       true,
       "M51 - (many.slb) "},
  };
  for (const Case& c : cases) {
    ListedWindows();  // the menu opens
    QAction* more = WindowMenu()->actions().back();
    ASSERT_EQ(more->text().toStdString(), "&More Windows...");
    std::vector<std::string> shown;
    bool came = false;
    // Looks on every turn of the loop, from inside the dialog's own once it shows.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* d = dynamic_cast<framework::TWindowListDialog*>(QApplication::activeModalWidget());
      if (!d || !d->isVisible()) return;
      poll.stop();
      came = true;
      d->Filter()->setText(c.typed);
      QListWidget* list = d->List();
      QListWidgetItem* picked = nullptr;
      for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isHidden()) continue;
        if (static_cast<int>(shown.size()) == c.pick) picked = list->item(i);
        shown.push_back(list->item(i)->text().toStdString());
      }
      if (!picked) return d->reject();
      if (c.byDoubleClick) {
        list->scrollToItem(picked);
        const QPointF at = list->visualItemRect(picked).center();
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                               QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
          QMouseEvent e(t, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                        t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                        Qt::NoModifier);
          QCoreApplication::sendEvent(list->viewport(), &e);
        }
      } else {
        list->setCurrentItem(picked);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(d->Filter(), &enter);
      }
      if (d->isVisible()) d->reject();
    });
    poll.start(2);
    more->trigger();
    ASSERT_TRUE(guitest::PumpUntil([&] { return came && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(shown, c.shown) << c.typed;
    ASSERT_NE(Shell().Client->ActiveSlide(), nullptr);
    EXPECT_EQ(Shell().Client->ActiveSlide()->GetCaption(), c.activated) << c.typed;
    EXPECT_FALSE(Shell().Client->ActiveSlide()->IsIconic());
  }
}

TEST_F(ManyWindowsTest, TileNeverMakesAWindowSmallerThanUsable) {
  OpenMany();
  for (uint32_t id : {res::CM_TILECHILDREN, res::CM_TILECHILDRENHORIZ}) {
    Command(res::CM_ICONIZEALL);
    Shell().Client->setActiveSubWindow(Windows()[0]);
    Command(id);  // the active window an icon: all restored, then tiled
    const QRect area = Shell().Client->viewport()->rect();
    int inSight = 0;
    for (TMyChild* c : Windows()) {
      ASSERT_FALSE(c->IsIconic());
      EXPECT_GE(c->width(), framework::TMDIClient::kMinTileWidth) << id << c->GetCaption();
      EXPECT_GE(c->height(), framework::TMDIClient::kMinTileHeight) << id << c->GetCaption();
      inSight += area.contains(c->geometry()) ? 1 : 0;
    }
    EXPECT_EQ(inSight, kManyMembers) << id;
  }
}

TEST_F(ManyWindowsTest, ClientScrollsToIconsOutsideIt) {
  frame->resize(420, 320);
  guitest::Pump(30);
  OpenMany();
  framework::TMDIClient* client = Shell().Client;
  const QRect view = client->viewport()->rect();
  int outside = 0;
  for (TMyChild* c : Windows()) {
    ASSERT_TRUE(c->IsIconic());
    outside += view.intersects(c->geometry()) ? 0 : 1;
  }
  ASSERT_GT(outside, 0);
  QScrollBar* bar = client->verticalScrollBar();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_GT(bar->maximum() - bar->minimum(), 0);
  // Scrolled to either end, the icons there come into sight.
  for (int value : {bar->minimum(), bar->maximum()}) {
    bar->setValue(value);
    guitest::Pump(20);
    int top = INT_MAX, bottom = INT_MIN;
    for (TMyChild* c : Windows()) {
      top = std::min(top, c->geometry().top());
      bottom = std::max(bottom, c->geometry().bottom());
    }
    if (value == bar->minimum()) {
      EXPECT_GE(top, 0);
    } else {
      EXPECT_LE(bottom, client->viewport()->height());
    }
  }
}

}  // namespace

namespace {

TEST_F(FrameCommandsTest, CtrlTabAndCtrlF6SwitchSlideWindows) {
  for (int i = 0; i < 3; ++i) Open(dir.Write("s" + std::to_string(i) + ".sld", SmallSlide(i)));
  // Keys that come while a window draws stop the drawing first.
  ASSERT_TRUE(guitest::PumpUntil([&] {
    for (TMyChild* c : Windows())
      if (!c->DrawingComplete()) return false;
    return true;
  }));
  QMdiArea* client = Shell().Client;
  auto press = [&](int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(client->activeSubWindow(), &event);
    guitest::Pump(20);
    return client->activeSubWindow();
  };
  QMdiSubWindow* start = client->activeSubWindow();
  ASSERT_NE(start, nullptr);
  QMdiSubWindow* next = press(Qt::Key_F6, Qt::ControlModifier);
  EXPECT_NE(next, start);
  EXPECT_EQ(press(Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier), start);
  // Ctrl+Tab and Ctrl+Shift+Tab are the same commands (the window system may hand them to the
  // area's own switching, which goes by the order of use).
  EXPECT_EQ(frame->TranslateAccelerator(Qt::Key_Tab, Qt::ControlModifier), res::CM_NEXTWINDOW);
  EXPECT_EQ(frame->TranslateAccelerator(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier),
            res::CM_PREVWINDOW);
}

}  // namespace
