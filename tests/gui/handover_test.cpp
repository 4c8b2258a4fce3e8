// A second start of the program hands its file to the running viewer and ends.
#include <QLocalSocket>
#include <QProcess>
#include <QTimer>

#include "shell/app.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "shell/instance.h"
#include "slide/loader.h"
#include "tests/big_slide.h"
#include "tests/gui/gui_support.h"
#include "tests/slide_writer.h"

namespace {

using lanterna::Shell;

fixtures::Bytes Slide() {
  fixtures::SlideWriter w(400, 300);
  w.Colour(3).Vector(0, 0, 399, 299);
  return w.EndOfFile().Build();
}

class HandOverTest : public guitest::ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    // A socket directory of this test's own: no other viewer of the user's is reached.
    ::setenv("XDG_RUNTIME_DIR", dir.File("").c_str(), 1);
    Shell().CommandLine = "";
    server = std::make_unique<lanterna::InstanceServer>();
    ASSERT_TRUE(server->Listening());
    app = std::make_unique<lanterna::TMyApp>();
    app->Start();
    frame = dynamic_cast<lanterna::TMyFrame*>(app->GetMainWindow());
    ASSERT_TRUE(guitest::PumpUntil([&] { return frame->isVisible(); }));
  }
  void TearDown() override {
    app.reset();
    server.reset();
    ::unsetenv("XDG_RUNTIME_DIR");
    ViewerTest::TearDown();
  }
  // Starts the program as a second instance and waits for it to end; its exit code.
  int SecondStart(const QStringList& args, const std::string& workingDirectory = "") {
    QProcess p;
    p.setProgram(LANTERNA_BINARY);
    if (!workingDirectory.empty()) p.setWorkingDirectory(QString::fromStdString(workingDirectory));
    p.setArguments(args);
    p.start();
    EXPECT_TRUE(guitest::PumpUntil([&] { return p.state() == QProcess::NotRunning; }, 20000));
    guitest::Pump(30);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }
  std::unique_ptr<lanterna::InstanceServer> server;
  std::unique_ptr<lanterna::TMyApp> app;
  lanterna::TMyFrame* frame = nullptr;
};

TEST_F(HandOverTest, SecondStartHandsTheFileOverAndEnds) {
  const std::string a = dir.Write("a.sld", Slide()), b = dir.Write("b.sld", Slide());
  EXPECT_EQ(SecondStart({QString::fromStdString(a)}), 0);
  ASSERT_EQ(Shell().ChildCount, 1);
  // Handed over with Auto Close on: the old window makes room.
  EXPECT_EQ(SecondStart({QString::fromStdString("\"" + b + "\"")}), 0);
  ASSERT_EQ(Shell().Client->SlideWindows().size(), 1u);
  EXPECT_EQ(Shell().Client->SlideWindows()[0]->GetCaption(), "B.SLD");
  // Auto Close off: the windows add up.
  Shell().AutoClose = 0;
  EXPECT_EQ(SecondStart({QString::fromStdString(a)}), 0);
  EXPECT_EQ(Shell().Client->SlideWindows().size(), 2u);
}

TEST_F(HandOverTest, RelativeNamesAreResolvedWhereTheSecondStartRan) {
  const std::string a = dir.Write("a.sld", Slide());
  EXPECT_EQ(SecondStart({"a.sld"}, dir.File("")), 0);
  ASSERT_EQ(Shell().Client->SlideWindows().size(), 1u);
  EXPECT_EQ(Shell().Client->SlideWindows()[0]->FileName(), a);
  EXPECT_TRUE(boxes.boxes.empty()) << fixtures::BoxTexts(boxes);
  EXPECT_EQ(lanterna::AbsoluteCommandLine("\"b c.sld\"", "/x/y"), "/x/y/b c.sld");
  EXPECT_EQ(lanterna::AbsoluteCommandLine("../b.sld", "/x/y"), "/x/b.sld");
  EXPECT_EQ(lanterna::AbsoluteCommandLine("/abs.sld", "/x"), "/abs.sld");
  EXPECT_EQ(lanterna::AbsoluteCommandLine("", "/x"), "");
}

// A box the user leaves up for long: the second start must have had its answer before it.
struct AnswerCheckingBoxes : platform::MessageBoxService {
  QLocalSocket* client = nullptr;
  bool answeredFirst = false;
  int shown = 0;
  int Show(platform::HWND, const std::string&, const std::string&, unsigned) override {
    ++shown;
    answeredFirst = client->bytesAvailable() > 0 || client->waitForReadyRead(2000);
    // Meanwhile the second start gives up and goes away.
    client->abort();
    guitest::Pump(50);
    return platform::IDOK;
  }
};

TEST_F(HandOverTest, SecondStartIsAnsweredBeforeTheFileIsOpened) {
  QLocalSocket client;
  AnswerCheckingBoxes slowBoxes;
  slowBoxes.client = &client;
  platform::SetMessageBoxService(&slowBoxes);
  client.connectToServer(QString::fromStdString(lanterna::InstanceSocketName()));
  ASSERT_TRUE(client.waitForConnected(2000));
  client.write(QByteArray("\1notes.txt", 10).append('\0'));
  client.flush();
  ASSERT_TRUE(guitest::PumpUntil([&] { return slowBoxes.shown > 0; }));
  EXPECT_TRUE(slowBoxes.answeredFirst);
  guitest::Pump(100);  // the viewer goes on working
  EXPECT_TRUE(frame->isVisible());
  platform::SetMessageBoxService(&boxes);
}

TEST_F(HandOverTest, OneViewerPerDisplay) {
  ::setenv("DISPLAY", ":61", 1);
  const std::string on61 = lanterna::InstanceSocketName();
  ::setenv("DISPLAY", ":62", 1);
  EXPECT_NE(lanterna::InstanceSocketName(), on61);
  ::unsetenv("DISPLAY");
}

TEST_F(HandOverTest, EmptyCommandLineOnlyBringsTheFrameForward) {
  EXPECT_EQ(SecondStart({}), 0);
  EXPECT_EQ(Shell().ChildCount, 0);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(HandOverTest, RequestDuringADrawingIsDeferredThenCarriedOut) {
  const std::string a = dir.Write("a.sld", Slide());
  // As if a drawing ran: the request closes the windows and comes again later.
  ++lanterna::Loader().LoaderBusy;
  frame->SendMessage(lanterna::WM_OPENBYNAME, 1, reinterpret_cast<intptr_t>(a.c_str()));
  EXPECT_EQ(Shell().ChildCount, 0);
  EXPECT_FALSE(Shell().PaintEnabled);
  EXPECT_EQ(Shell().PendingName, a);
  EXPECT_EQ(Shell().RetryCount, 1);
  // The drawing ends before the re-posted request comes round.
  --lanterna::Loader().LoaderBusy;
  ASSERT_TRUE(guitest::PumpUntil([] { return Shell().ChildCount == 1; }));
  EXPECT_EQ(Shell().RetryCount, 0);
  EXPECT_TRUE(Shell().PaintEnabled);
}

TEST_F(HandOverTest, DeferralGivesUpAfterAHundredTries) {
  const std::string a = dir.Write("a.sld", Slide());
  ++lanterna::Loader().LoaderBusy;
  frame->SendMessage(lanterna::WM_OPENBYNAME, 1, reinterpret_cast<intptr_t>(a.c_str()));
  guitest::Pump(300);
  EXPECT_EQ(Shell().RetryCount, 100);
  --lanterna::Loader().LoaderBusy;
  guitest::Pump(50);
  EXPECT_EQ(Shell().ChildCount, 0);
}

// Notes whether a window's drawing was complete when it was closed.
struct CloseWatch : QObject {
  lanterna::TMyChild* child = nullptr;
  int closed = 0;
  bool completeAtClose = false;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == child && e->type() == QEvent::Close) {
      ++closed;
      completeAtClose = child->DrawingComplete();
    }
    return false;
  }
};

TEST_F(HandOverTest, RequestDuringALongDrawingStopsItAndOpensAtOnce) {
  const std::string big = dir.Write("big.sld", fixtures::BigDrawing(300000));
  const std::string b = dir.Write("b.sld", Slide());
  frame->resize(900, 700);
  frame->SendMessage(lanterna::WM_OPENBYNAME, 1, reinterpret_cast<intptr_t>(big.c_str()));
  ASSERT_EQ(Shell().Client->SlideWindows().size(), 1u);
  CloseWatch watch;
  watch.child = Shell().Client->SlideWindows()[0];
  watch.child->installEventFilter(&watch);
  bool handedOver = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (handedOver || !lanterna::LoaderBusy()) return;
    handedOver = true;
    frame->SendMessage(lanterna::WM_OPENBYNAME, 1, reinterpret_cast<intptr_t>(b.c_str()));
  });
  poll.start(1);
  ASSERT_TRUE(guitest::PumpUntil(
      [&] {
        auto w = Shell().Client->SlideWindows();
        return handedOver && w.size() == 1 && w[0]->GetCaption() == "B.SLD";
      },
      60000));
  EXPECT_EQ(watch.closed, 1);
  EXPECT_FALSE(watch.completeAtClose);
}

}  // namespace
