// A second start of the program hands its file to the running viewer and ends.
#include <QLocalSocket>
#include <QProcess>
#include <QTimer>

#include "shell/app.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "shell/handover_request.h"
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
  client.write(QByteArray("\1/notes.txt", 11).append('\0'));
  client.flush();
  ASSERT_TRUE(guitest::PumpUntil([&] { return slowBoxes.shown > 0; }));
  EXPECT_TRUE(slowBoxes.answeredFirst);
  guitest::Pump(100);  // the viewer goes on working
  EXPECT_TRUE(frame->isVisible());
  platform::SetMessageBoxService(&boxes);
}

TEST_F(HandOverTest, OneViewerPerDisplay) {
  auto socketOn = [](const char* display) {
    ::setenv("DISPLAY", display, 1);
    return lanterna::InstanceSocketName();
  };
  EXPECT_NE(socketOn(":61"), socketOn(":62"));
  // The screen number names no other display.
  EXPECT_EQ(socketOn(":81.0"), socketOn(":81"));
  EXPECT_EQ(socketOn("host:81.0"), socketOn("host:81"));
  EXPECT_NE(socketOn("host:81"), socketOn(":81"));
  ::unsetenv("DISPLAY");
}

TEST(HandOverRequest, OnlyWhatASecondStartWritesIsTaken) {
  using namespace std::string_literals;
  const std::string longest(lanterna::kMaxHandOverName, '/');
  struct Case {
    std::string bytes;
    bool ended;
    const char* name;  // null: refused
  } cases[] = {
      {"\0"s, true, nullptr},
      {"\1"s, false, nullptr},
      {"\1/a.s"s, false, nullptr},
      {"\1\0"s, true, ""},
      {"\1/a b.sld\0"s, true, "/a b.sld"},
      {"\1/caff\xC3\xA8.sld\0"s, true, "/caff\xC3\xA8.sld"},
      {"\1" + longest + "\0"s, true, longest.c_str()},
      {"\1/" + longest + "\0"s, true, nullptr},  // longer than a path
      {"\1" + longest + "/"s, true, nullptr},    // and never ended
      {"\2/a.sld\0"s, true, nullptr},            // another flag
      {"\1a.sld\0"s, true, nullptr},             // relative
      {"\1/a\nb.sld\0"s, true, nullptr},         // control character
      {"\1/a\xC3\0"s, true, nullptr},            // UTF-8 cut short
      {"\1/a\xC0\xAF\0"s, true, nullptr},        // overlong
      {"\1/a\xED\xA0\x80\0"s, true, nullptr},    // surrogate
      {"\1/a.sld\0\1/b.sld\0"s, true, nullptr},  // more after the request
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes.substr(0, 40)));
    EXPECT_EQ(lanterna::HandOverRequestEnded(c.bytes), c.ended);
    const auto request = lanterna::ParseHandOverRequest(c.bytes);
    ASSERT_EQ(request.has_value(), c.name != nullptr);
    if (request) {
      EXPECT_EQ(request->name, c.name);
    }
  }
}

TEST_F(HandOverTest, AnythingElseOnTheSocketIsDroppedAndTheViewerGoesOn) {
  using namespace std::string_literals;
  for (const std::string& bytes : {"\0"s, "\1notes.txt\0"s, "\1/a\xFF.sld\0"s, "\1\1"s}) {
    QLocalSocket client;
    client.connectToServer(QString::fromStdString(lanterna::InstanceSocketName()));
    ASSERT_TRUE(client.waitForConnected(2000));
    client.write(bytes.data(), static_cast<qint64>(bytes.size()));
    client.flush();
    guitest::Pump(50);
  }
  EXPECT_TRUE(frame->isVisible());
  EXPECT_TRUE(boxes.boxes.empty()) << fixtures::BoxTexts(boxes);
  const std::string a = dir.Write("a.sld", Slide());
  EXPECT_EQ(SecondStart({QString::fromStdString(a)}), 0);
  EXPECT_EQ(Shell().ChildCount, 1);
}

// The user reads a box while a second start hands another file over.
struct HandOverDuringABox : platform::MessageBoxService {
  std::string second;
  std::vector<std::string> texts;
  int depth = 0, deepest = 0;
  int Show(platform::HWND, const std::string& text, const std::string&, unsigned) override {
    texts.push_back(text);
    deepest = std::max(deepest, ++depth);
    if (texts.size() == 1) {
      QLocalSocket client;
      client.connectToServer(QString::fromStdString(lanterna::InstanceSocketName()));
      const std::string request = lanterna::EncodeHandOverRequest(second);
      client.write(request.data(), static_cast<qint64>(request.size()));
      client.flush();
      guitest::Pump(300);
    }
    --depth;
    return platform::IDOK;
  }
};

TEST_F(HandOverTest, BadFilesAreToldOneBoxEachByNameAndNotRemembered) {
  const std::string a = dir.Write("a.rnd", {'n', 'o', 't'}),
                    b = dir.Write("b.rnd", {'b', 'a', 'd'});
  HandOverDuringABox shown;
  shown.second = b;
  platform::SetMessageBoxService(&shown);
  frame->SendMessage(lanterna::WM_OPENBYNAME, 1, reinterpret_cast<intptr_t>(a.c_str()));
  guitest::PumpUntil([&] { return shown.texts.size() >= 2 && Shell().ChildCount == 0; }, 3000);
  guitest::Pump(100);
  platform::SetMessageBoxService(&boxes);
  // The second waits until the first box is answered.
  ASSERT_EQ(shown.texts.size(), 2u) << testing::PrintToString(shown.texts);
  EXPECT_EQ(shown.deepest, 1);
  EXPECT_NE(shown.texts[0].find(a), std::string::npos) << shown.texts[0];
  EXPECT_NE(shown.texts[1].find(b), std::string::npos) << shown.texts[1];
  EXPECT_TRUE(Shell().RecentFiles.empty());
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
