#include "platform/gdi/deferred_drawing.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace gdi::raster {

namespace {

struct Deferred {
  enum class Kind : uint8_t { kLine, kFill, kPixel };
  Kind kind;
  int width;  // lines: the device pen width
  COLORREF colour;
  Canvas canvas;
  DevicePoint a, b;  // fills: a.x is the first of the batch's points, a.y how many
};

struct Batch {
  std::vector<Deferred> items;
  std::vector<DevicePoint> points;  // the polygons of the fills

  bool Empty() const { return items.empty(); }
  void Clear() {
    items.clear();
    points.clear();
  }
  void Swap(Batch& other) {
    items.swap(other.items);
    points.swap(other.points);
  }
};

// Big enough that handing a batch over costs nothing next to drawing it, small enough that
// the last one, drawn after the decoding ends, is short.
constexpr size_t kBatchItems = 4096;
constexpr size_t kBatchPoints = 65536;

// Short lines all over a big picture each start in memory not touched lately: their first
// pixels are fetched this many items ahead, while the ones before them are drawn.
constexpr size_t kFetchAhead = 16;

void FetchStart(const Deferred& d) {
  if (d.kind == Deferred::Kind::kFill) return;
  const DevicePoint p = d.a;
  if (p.x < 0 || p.y < 0 || p.x >= d.canvas.width || p.y >= d.canvas.height) return;
  __builtin_prefetch(d.canvas.pixels + p.y * d.canvas.width + p.x, 1);
}

void Draw(const Batch& batch, FillScratch& scratch) {
  const std::vector<Deferred>& items = batch.items;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i + kFetchAhead < items.size()) FetchStart(items[i + kFetchAhead]);
    const Deferred& d = items[i];
    switch (d.kind) {
      case Deferred::Kind::kLine:
        if (d.width <= 1)
          ThinLine(d.canvas, d.a, d.b, d.colour);
        else
          WideLine(d.canvas, d.a, d.b, d.width, d.colour);
        break;
      case Deferred::Kind::kFill:
        FillEvenOdd(d.canvas, batch.points.data() + d.a.x, static_cast<int>(d.a.y), d.colour,
                    scratch);
        break;
      case Deferred::Kind::kPixel:
        d.canvas.pixels[d.a.y * d.canvas.width + d.a.x] = d.colour;
        break;
    }
  }
}

// The caller fills one batch while the worker draws another; one more may wait between them.
// The worker runs from the first batch handed over until the drawing is settled, so no thread
// outlives a drawing (the batch tool forks its jobs between drawings).
struct Worker {
  bool on = false;
  Batch filling;  // the caller's only
  std::mutex mutex;
  std::condition_variable changed;
  Batch handed;       // under mutex
  bool stop = false;  // under mutex
  std::thread thread;
  FillScratch scratch;  // the worker's while it runs, the caller's after

  void Run() {
    Batch batch;
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return !handed.Empty() || stop; });
        if (handed.Empty()) return;
        batch.Swap(handed);
      }
      changed.notify_all();
      Draw(batch, scratch);
      batch.Clear();
    }
  }

  // Room for one more item and count points, or false when memory runs out. Room grows by
  // doubling: a batch of many small fills must not copy its points again for each.
  bool MakeRoom(size_t count) {
    try {
      if (filling.items.size() == filling.items.capacity()) filling.items.reserve(kBatchItems);
      const size_t points = filling.points.size() + count;
      if (points > filling.points.capacity())
        filling.points.reserve(std::max({points, kBatchPoints, 2 * filling.points.capacity()}));
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

  void Added() {
    if (filling.items.size() >= kBatchItems || filling.points.size() >= kBatchPoints) HandOver();
  }

  void HandOver() {
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return handed.Empty(); });
      handed.Swap(filling);
    }
    changed.notify_all();
    if (thread.joinable()) return;
    try {
      thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      // No threads here: draw as if never put off.
      on = false;
      Draw(handed, scratch);
      handed.Clear();
    }
  }

  void Settle() {
    if (thread.joinable()) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
      }
      changed.notify_all();
      thread.join();
      stop = false;
    }
    Draw(filling, scratch);
    filling.Clear();
  }
};

// Never destroyed: bitmaps that outlive main (the stock bitmap) still settle when they go.
// One per thread that draws: each thread's drawings are put off and settled on their own.
Worker& TheWorker() {
  static thread_local Worker& worker = *new Worker;
  return worker;
}

}  // namespace

void DeferDrawing(bool on) {
  Worker& w = TheWorker();
  w.Settle();
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
  on = false;  // a build without threads
#endif
  static const unsigned cores = std::thread::hardware_concurrency();  // read from the system
  if (cores == 1) on = false;  // one core gains nothing by it
  w.on = on;
}

bool DeferLine(const Canvas& canvas, DevicePoint a, DevicePoint b, int width, COLORREF colour) {
  Worker& w = TheWorker();
  if (!w.on) return false;
  // Every vector comes here: the room is made once a batch.
  if (w.filling.items.size() == w.filling.items.capacity() && !w.MakeRoom(0)) return false;
  w.filling.items.push_back({Deferred::Kind::kLine, width, colour, canvas, a, b});
  w.Added();
  return true;
}

bool DeferFill(const Canvas& canvas, const DevicePoint* pts, int count, COLORREF colour) {
  Worker& w = TheWorker();
  if (!w.on || count < 0 || !w.MakeRoom(static_cast<size_t>(count))) return false;
  const DevicePoint span{static_cast<int64_t>(w.filling.points.size()), count};
  w.filling.points.insert(w.filling.points.end(), pts, pts + count);
  w.filling.items.push_back({Deferred::Kind::kFill, 0, colour, canvas, span, {}});
  w.Added();
  return true;
}

bool DeferPixel(const Canvas& canvas, DevicePoint p, COLORREF colour) {
  Worker& w = TheWorker();
  if (!w.on || !w.MakeRoom(0)) return false;
  w.filling.items.push_back({Deferred::Kind::kPixel, 0, colour, canvas, p, p});
  w.Added();
  return true;
}

void SettleDrawing() {
  Worker& w = TheWorker();
  if (w.filling.Empty() && !w.thread.joinable()) return;
  w.Settle();
}

}  // namespace gdi::raster
