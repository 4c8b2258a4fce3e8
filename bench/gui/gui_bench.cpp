// The viewer opening a 200,000-vector slide (either benchmark slide) in a maximised slide window
// of a 1280 x 1024 frame: the time until the first progress copy is on screen and until the
// picture is complete, then the same for one zoom step and one pan step. And a
// 352-member library as miniatures: the time until the first screen of them is drawn, and the
// memory the browser takes once every miniature has been drawn.
// Runs on the display it is given, or off screen when there is none.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/qt/input_queue.h"
#include "platform/qt/surface_window.h"
#include "shell/app.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "shell/library_browser.h"
#include "shell/miniature_worker.h"
#include "shell/shell_state.h"
#include "slide/ciclo.h"
#include "tests/big_slide.h"
#include "tests/slide_writer.h"

namespace {

using namespace lanterna;

// The two benchmark slides: short vectors (0), and long lines with fills like a plan (1).
const std::string& SlidePath(int which) {
  static const std::string paths[2] = {
      [] {
        const std::string p = "/tmp/lanterna-gui-bench-" + std::to_string(::getpid()) + ".sld";
        fixtures::WriteFile(p, fixtures::BigDrawing(200000));
        return p;
      }(),
      [] {
        const std::string p =
            "/tmp/lanterna-gui-bench-lines-" + std::to_string(::getpid()) + ".sld";
        fixtures::WriteFile(p, fixtures::LongLineDrawing(200000));
        return p;
      }()};
  return paths[which];
}

// Notes when a slide surface is first painted with the drawing on it: a progress copy while the
// drawing holds its device context, or the finished picture when it is drawn sooner.
class ProgressWatch : public QObject {
 public:
  explicit ProgressWatch(const QElapsedTimer& clock) : clock_(clock) {}
  qint64 firstCopyNs = -1;
  int previewsBefore = 0;
  std::function<bool()> done;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Paint && firstCopyNs < 0) {
      auto* surface = dynamic_cast<platform::qt::SurfaceWindow*>(watched);
      // A progress copy, the previous picture shown scaled or moved, or the finished one.
      if (surface &&
          (surface->OpenDCs() > 0 || surface->Previews() > previewsBefore || (done && done())))
        firstCopyNs = clock_.nsecsElapsed();
    }
    return false;
  }

 private:
  const QElapsedTimer& clock_;
};

// 352 members of 2,000 vectors each, as symbol libraries hold.
const std::string& LibraryPath() {
  static const std::string path = [] {
    const std::string p = "/tmp/lanterna-gui-bench-" + std::to_string(::getpid()) + ".slb";
    std::vector<fixtures::Member> members;
    for (int i = 1; i <= 352; ++i)
      members.push_back({"SYMBOL" + std::to_string(i), fixtures::BigDrawing(2000)});
    fixtures::WriteFile(p, fixtures::LibraryBytes(members));
    return p;
  }();
  return path;
}

long ResidentKb() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// A fresh viewer with a 1280 x 1024 frame on screen; null (the benchmark told) when it does not
// show.
std::unique_ptr<TMyApp> StartViewer(benchmark::State& state) {
  ResetShellState();
  InterruptCause() = 0;
  Shell().XPos = Shell().YPos = 0;
  Shell().WPos = 1280;
  Shell().HPos = 1024;
  auto app = std::make_unique<TMyApp>();
  app->Start();
  TMyFrame* frame = Shell().Frame;
  if (!frame || !PumpUntil([&] { return frame->isVisible(); }, 5000)) {
    state.SkipWithError("the frame did not show");
    return nullptr;
  }
  frame->resize(1280, 1024);
  PumpUntil([] { return false; }, 50);
  return app;
}

// One step by a key (zoom or pan) of a slide window: the time until the first new picture is on
// screen and until the exact one is drawn, in ms.
struct StepTimes {
  double first = 0, exact = 0;
};
StepTimes TimeStep(TMyChild* child, ProgressWatch& watch, QElapsedTimer& clock, int key) {
  watch.firstCopyNs = -1;
  watch.previewsBefore = child->View()->Previews();
  clock.restart();
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(child, &press);
  PumpUntil([&] { return child->DrawingComplete(); }, 120000);
  return {watch.firstCopyNs * 1e-6, clock.nsecsElapsed() * 1e-6};
}

// Arg: which benchmark slide.
void BM_OpenBigSlideMaximised(benchmark::State& state) {
  const std::string& path = SlidePath(static_cast<int>(state.range(0)));
  double firstCopyMs = 0, completeMs = 0;
  StepTimes zoom, pan;
  for (auto _ : state) {
    std::unique_ptr<TMyApp> app = StartViewer(state);
    if (!app) return;

    QElapsedTimer clock;
    ProgressWatch watch(clock);
    qApp->installEventFilter(&watch);
    clock.start();
    OpenByName(false, path.c_str());
    TMyChild* child = Shell().Client->ActiveSlide();
    if (!child) {
      state.SkipWithError("no slide window");
      return;
    }
    watch.done = [child] { return child->DrawingComplete(); };
    child->showMaximized();
    const bool complete = PumpUntil([&] { return child->DrawingComplete(); }, 120000);
    const qint64 completeNs = clock.nsecsElapsed();
    if (!complete) {
      state.SkipWithError("the drawing did not complete");
      return;
    }
    state.SetIterationTime(completeNs * 1e-9);
    firstCopyMs += watch.firstCopyNs * 1e-6;
    completeMs += completeNs * 1e-6;

    // One zoom step (+, about the middle), then one pan step (an arrow key).
    const StepTimes z = TimeStep(child, watch, clock, Qt::Key_Plus);
    const StepTimes p = TimeStep(child, watch, clock, Qt::Key_Right);
    zoom.first += z.first;
    zoom.exact += z.exact;
    pan.first += p.first;
    pan.exact += p.exact;
    qApp->removeEventFilter(&watch);
    state.counters["client_w"] = child->View()->width();
    state.counters["client_h"] = child->View()->height();
    state.counters["reads"] = child->SlideReads();
    app.reset();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["first_copy_ms"] = firstCopyMs / n;
  state.counters["complete_ms"] = completeMs / n;
  state.counters["zoom_first_ms"] = zoom.first / n;
  state.counters["zoom_complete_ms"] = zoom.exact / n;
  state.counters["pan_first_ms"] = pan.first / n;
  state.counters["pan_complete_ms"] = pan.exact / n;
}
BENCHMARK(BM_OpenBigSlideMaximised)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Rows whose cells lie in the grid's view.
bool VisibleDrawn(TLibraryBrowser* b) {
  QListView* grid = b->Grid();
  const QRect view = grid->viewport()->rect();
  bool any = false;
  for (int row = 0; row < b->Model()->rowCount(); ++row) {
    if (!grid->visualRect(b->Model()->index(row)).intersects(view)) continue;
    any = true;
    if (!b->Model()->HasMiniature(row)) return false;
  }
  return any;
}

void BM_LibraryGridFirstScreen(benchmark::State& state) {
  const std::string& path = LibraryPath();
  double firstScreenMs = 0, extraMb = 0;
  for (auto _ : state) {
    std::unique_ptr<TMyApp> app = StartViewer(state);
    if (!app) return;
    const long emptyKb = ResidentKb();

    QElapsedTimer clock;
    clock.start();
    BrowseLibrary(path);
    auto* browser = dynamic_cast<TLibraryBrowser*>(Shell().Client->GetActiveMDIChild());
    if (!browser || !PumpUntil([&] { return VisibleDrawn(browser); }, 60000)) {
      state.SkipWithError("the first screen of miniatures did not come");
      return;
    }
    const qint64 firstNs = clock.nsecsElapsed();
    state.SetIterationTime(firstNs * 1e-9);
    firstScreenMs += firstNs * 1e-6;
    // Every miniature drawn once: the grid scrolled to its end a screen at a time.
    QScrollBar* bar = browser->Grid()->verticalScrollBar();
    for (int value = 0; value <= bar->maximum(); value += std::max(1, bar->pageStep())) {
      bar->setValue(value);
      PumpUntil([&] { return VisibleDrawn(browser); }, 60000);
    }
    bar->setValue(bar->maximum());
    PumpUntil([&] { return VisibleDrawn(browser); }, 60000);
    extraMb += (ResidentKb() - emptyKb) / 1024.0;
    state.counters["miniatures_held"] = browser->Model()->MiniaturesHeld();
    app.reset();
  }
  state.counters["first_screen_ms"] = firstScreenMs / static_cast<double>(state.iterations());
  state.counters["extra_mb"] = extraMb / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LibraryGridFirstScreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  char configPattern[] = "/tmp/lanterna-gui-bench-XXXXXX";
  if (::mkdtemp(configPattern)) ::setenv("XDG_CONFIG_HOME", configPattern, 1);
  ::setenv("XDG_RUNTIME_DIR", configPattern, 0);
  QApplication qapp(argc, argv);
  platform::qt::InputQueue input;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove(SlidePath(0), ec);
  std::filesystem::remove(SlidePath(1), ec);
  std::filesystem::remove(LibraryPath(), ec);
  std::filesystem::remove_all(configPattern, ec);
  return 0;
}
