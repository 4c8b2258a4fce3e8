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

// The rows [top, top + height) of a canvas that one of `bands` equal bands covers.
struct Band {
  int64_t top, height;
};
// Band `index` of `bands` equal ones of a canvas's rows. The canvases of one drawing share
// a height: the band is worked out again only when it changes (two divisions an item were a
// tenth of the drawing thread's time).
struct BandOf {
  int index, bands;
  int64_t height = -1;
  Band band{0, 0};
  Band operator()(const Canvas& c) {
    if (c.height != height) {
      height = c.height;
      const int64_t top = height * index / bands;
      band = {top, height * (index + 1) / bands - top};
    }
    return band;
  }
};

DevicePoint Up(DevicePoint p, int64_t rows) {
  return {p.x, p.y - rows};
}

void FetchStart(const Deferred& d, BandOf& bandOf) {
  if (d.kind == Deferred::Kind::kFill) return;
  const DevicePoint p = d.a;
  const Band band = bandOf(d.canvas);
  if (p.x < 0 || p.y < band.top || p.x >= d.canvas.width || p.y >= band.top + band.height) return;
  __builtin_prefetch(d.canvas.pixels + p.y * d.canvas.width + p.x, 1);
}

// Draws, in order, what falls in band `index` of each item's canvas. Moving a line or a
// polygon up by whole rows moves its pixels the same (the rasterisers work from differences
// of coordinates), so the bands together give exactly the picture drawn whole.
void Draw(const Batch& batch, int index, int bands, FillScratch& scratch,
          std::vector<DevicePoint>& moved) {
  const std::vector<Deferred>& items = batch.items;
  BandOf bandOf{index, bands}, fetchBandOf{index, bands};
  for (size_t i = 0; i < items.size(); ++i) {
    if (i + kFetchAhead < items.size()) FetchStart(items[i + kFetchAhead], fetchBandOf);
    const Deferred& d = items[i];
    const Band band = bandOf(d.canvas);
    if (band.height <= 0) continue;
    const int64_t top = band.top, bottom = band.top + band.height;
    const Canvas canvas{d.canvas.pixels + top * d.canvas.width, d.canvas.width, band.height};
    switch (d.kind) {
      case Deferred::Kind::kLine: {
        // A line wholly above or below the band, pen and all, leaves it untouched.
        const int64_t reach = d.width <= 1 ? 0 : d.width;
        if (std::max(d.a.y, d.b.y) + reach < top || std::min(d.a.y, d.b.y) - reach >= bottom) break;
        if (d.width <= 1)
          ThinLine(canvas, Up(d.a, top), Up(d.b, top), d.colour);
        else
          WideLine(canvas, Up(d.a, top), Up(d.b, top), d.width, d.colour);
        break;
      }
      case Deferred::Kind::kFill: {
        const DevicePoint* pts = batch.points.data() + d.a.x;
        const auto count = static_cast<size_t>(d.a.y);
        if (top != 0) {
          moved.resize(count);
          for (size_t k = 0; k < count; ++k) moved[k] = Up(pts[k], top);
          pts = moved.data();
        }
        FillEvenOdd(canvas, pts, static_cast<int>(count), d.colour, scratch);
        break;
      }
      case Deferred::Kind::kPixel:
        if (d.a.y >= top && d.a.y < bottom)
          canvas.pixels[(d.a.y - top) * canvas.width + d.a.x] = d.colour;
        break;
    }
  }
}

// The caller fills one batch while the workers draw those handed over before it, every worker
// all the items in its own band of rows, so that long lines and fills are shared out between
// the cores. The workers run from the first batch handed over until the drawing is settled,
// so no thread outlives a drawing (the batch tool forks its jobs between drawings).
constexpr int kMaxBands = 2;
// Batches handed over that some band has still to draw: with the one being filled, as many
// batches as one drawing thread had (more only made the peak memory larger).
constexpr uint64_t kSlots = 2;

struct Worker {
  bool on = false;
  int wanted = 1;  // bands to draw in, one thread each
  Batch filling;   // the caller's only
  std::mutex mutex;
  std::condition_variable changed;
  Batch slots[kSlots];       // batch b is in slot b % kSlots while pending there
  int pending[kSlots] = {};  // under mutex: bands yet to draw the slot's batch
  uint64_t published = 0;    // under mutex: batches handed over
  int bands = 1;             // under mutex, fixed once the threads are started
  bool stop = false;         // under mutex
  std::thread threads[kMaxBands];
  int running = 0;
  FillScratch scratch;  // the caller's
  std::vector<DevicePoint> moved;

  void Run(int index) {
    FillScratch ownScratch;
    std::vector<DevicePoint> ownMoved;
    for (uint64_t next = 0;; ++next) {
      const Batch* batch;
      int of;
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return published > next || stop; });
        if (published <= next) return;
        batch = &slots[next % kSlots];
        of = bands;
      }
      Draw(*batch, index, of, ownScratch, ownMoved);
      bool done;
      {
        std::lock_guard<std::mutex> lock(mutex);
        done = --pending[next % kSlots] == 0;
      }
      if (done) changed.notify_all();
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

  // Starts a thread a band; as many bands as threads could be started.
  bool Start() {
    while (running < wanted) {
      try {
        const int index = running;
        threads[index] = std::thread([this, index] { Run(index); });
        ++running;
      } catch (const std::system_error&) {
        break;
      }
    }
    std::lock_guard<std::mutex> lock(mutex);
    bands = running;
    return running > 0;
  }

  void HandOver() {
    if (running == 0 && !Start()) {
      // No threads here: draw as if never put off.
      on = false;
      Draw(filling, 0, 1, scratch, moved);
      filling.Clear();
      return;
    }
    {
      std::unique_lock<std::mutex> lock(mutex);
      const uint64_t slot = published % kSlots;
      changed.wait(lock, [&] { return pending[slot] == 0; });
      slots[slot].Clear();
      slots[slot].Swap(filling);
      pending[slot] = bands;
      ++published;
    }
    changed.notify_all();
  }

  void Settle() {
    if (running > 0) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
      }
      changed.notify_all();
      for (int i = 0; i < running; ++i) threads[i].join();
      running = 0;
      stop = false;
      published = 0;
      for (Batch& b : slots) b.Clear();
    }
    Draw(filling, 0, 1, scratch, moved);
    filling.Clear();
  }
};

// One per thread that draws: each thread's drawings are put off and settled on their own.
// Never destroyed: bitmaps that outlive main (the stock bitmap) still settle when they go. Every
// one stays listed, so that a worker of a thread that has ended is not taken for lost memory.
Worker& TheWorker() {
  static thread_local Worker* worker = [] {
    static std::mutex listing;
    static auto* workers = new std::vector<Worker*>;
    auto* made = new Worker;
    std::lock_guard<std::mutex> lock(listing);
    workers->push_back(made);
    return made;
  }();
  return *worker;
}

}  // namespace

void DeferDrawing(bool on, int bands) {
  Worker& w = TheWorker();
  w.Settle();
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
  on = false;  // a build without threads
#endif
  static const unsigned cores = std::thread::hardware_concurrency();  // read from the system
  if (cores == 1) on = false;  // one core gains nothing by it
  w.on = on;
  w.wanted = std::clamp(std::min(bands, static_cast<int>(cores)), 1, kMaxBands);
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
  if (w.filling.Empty() && w.running == 0) return;
  w.Settle();
}

}  // namespace gdi::raster
