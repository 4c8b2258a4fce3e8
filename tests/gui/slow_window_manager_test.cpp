// The real viewer on a virtual X display under openbox, paused while the frame comes up as a
// busy window manager is at login. Skipped where Xvfb, openbox or the X tools are missing.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <string>

#include "platform/profile.h"
#include "tests/gui/gui_support.h"

namespace {

constexpr const char* kTitle = "Quelna WWW Slide Viewer";
const QRect kScreen(0, 0, 1280, 1024);

class SlowWindowManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "openbox", "xwininfo", "xprop", "xdotool"})
      if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " is missing";
    int n = 70 + ::getpid() % 200;
    while (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n))) ++n;
    display_ = QString(":%1").arg(n);
    QDir().mkpath(QString::fromStdString(dir_.File("config")));
    QDir().mkpath(QString::fromStdString(dir_.File("run")));
    env_ = QProcessEnvironment::systemEnvironment();
    env_.remove("WAYLAND_DISPLAY");
    env_.insert("DISPLAY", display_);
    env_.insert("QT_QPA_PLATFORM", "xcb");
    env_.insert("XDG_CONFIG_HOME", QString::fromStdString(dir_.File("config")));
    env_.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir_.File("run")));
    Start(xvfb_, "Xvfb", {display_, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    // The server answers, not only its socket exists: a window manager started earlier ends.
    // The virtual display and its window manager are the stage, not what is tested: on a
    // machine too busy to bring them up the test is skipped, not failed.
    if (!guitest::PumpUntil(
            [&] {
              return Tool("xprop", {"-root", "_NET_SUPPORTED"}).contains("_NET_SUPPORTED");
            },
            20000))
      GTEST_SKIP() << "Xvfb did not come up";
    Start(openbox_, "openbox", {});
    if (!guitest::PumpUntil(
            [&] {
              return Tool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
            },
            20000))
      GTEST_SKIP() << "openbox did not come up";
    guitest::Pump(500);  // its start-up done: stopped while it holds the server, X would hang
  }
  void TearDown() override {
    if (openbox_.processId() > 0) ::kill(static_cast<pid_t>(openbox_.processId()), SIGCONT);
    for (QProcess* p : {&viewer_, &openbox_, &xvfb_}) {
      p->terminate();
      if (!p->waitForFinished(3000)) p->kill();
      p->waitForFinished(1000);
    }
  }
  void Start(QProcess& p, const QString& program, const QStringList& args) {
    p.setProcessEnvironment(env_);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    ASSERT_TRUE(p.waitForStarted(5000)) << program.toStdString();
  }
  QString Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env_);
    p.start(program, args);
    p.waitForFinished(5000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
  }
  // The frame with its decorations, once the window manager has put them round it.
  QRect OuterFrame() {
    QString id, extents;
    guitest::PumpUntil(
        [&] {
          id = FrameId();
          if (id.isEmpty()) return false;
          extents = Tool("xprop", {"-id", id, "_NET_FRAME_EXTENTS"});
          return extents.contains('=');
        },
        10000);
    guitest::Pump(1000);  // the placement follows the decorations
    extents = Tool("xprop", {"-id", id, "_NET_FRAME_EXTENTS"});
    const QString info = Tool("xwininfo", {"-id", id});
    auto field = [&](const char* name) {
      return QRegularExpression(QString(name) + ":\\s*(-?\\d+)").match(info).captured(1).toInt();
    };
    const QStringList e = extents.section('=', 1).split(',');  // left, right, top, bottom
    if (e.size() != 4) return QRect();
    const int x = field("Absolute upper-left X"), y = field("Absolute upper-left Y");
    return QRect(x - e[0].toInt(), y - e[2].toInt(), field("Width") + e[0].toInt() + e[1].toInt(),
                 field("Height") + e[2].toInt() + e[3].toInt());
  }
  // The frame on the screen (Qt keeps other windows of that name unmapped).
  QString FrameId() {
    return Tool("xdotool", {"search", "--onlyvisible", "--name", kTitle}).split('\n').first();
  }
  void CloseViewer() {
    Tool("xdotool", {"windowactivate", "--sync", FrameId(), "key", "alt+F4"});
    EXPECT_TRUE(viewer_.waitForFinished(10000));
  }
  fixtures::TempDir dir_;
  QString display_;
  QProcessEnvironment env_;
  QProcess xvfb_, openbox_, viewer_;
};

TEST_F(SlowWindowManagerTest, FrameIsPlacedAgainWhenItsDecorationsComeLate) {
  {
    QFile ini(QString::fromStdString(dir_.File("config/QVINI.INI")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Lanterna]\nXPos=1\nYPos=1\nWPos=1600\nHPos=1200\n");
  }
  ::kill(static_cast<pid_t>(openbox_.processId()), SIGSTOP);
  Start(viewer_, LANTERNA_BINARY, {});
  QThread::msleep(1600);
  ::kill(static_cast<pid_t>(openbox_.processId()), SIGCONT);
  const QRect late = OuterFrame();
  EXPECT_TRUE(kScreen.contains(late))
      << late.x() << "," << late.y() << " " << late.width() << "x" << late.height();
  CloseViewer();
  ::setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
  EXPECT_LE(platform::GetPrivateProfileInt("Lanterna", "WPos", 0, "QVINI.INI"), kScreen.width());
  EXPECT_LE(platform::GetPrivateProfileInt("Lanterna", "HPos", 0, "QVINI.INI"), kScreen.height());
  ::unsetenv("XDG_CONFIG_HOME");
  // The next start, with the window manager answering: the title bar on the screen.
  Start(viewer_, LANTERNA_BINARY, {});
  const QRect next = OuterFrame();
  EXPECT_TRUE(kScreen.contains(next))
      << next.x() << "," << next.y() << " " << next.width() << "x" << next.height();
  CloseViewer();
}

}  // namespace
