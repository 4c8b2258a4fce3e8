// Decoding and drawing a large generated CAD-like slide.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "output/png_pixels.h"
#include "output/render_job.h"
#include "slide/ciclo.h"
#include "slide/loader.h"
#include "slide/slide_fit.h"
#include "slide/slide_header.h"
#include "tests/big_slide.h"
#include "tests/slide_writer.h"

namespace {

using namespace lanterna;

const fixtures::Bytes& Drawing() {
  static const fixtures::Bytes bytes = fixtures::BigDrawing();
  return bytes;
}

const std::string& DrawingPath() {
  static const std::string path = [] {
    std::string p = "/tmp/lanterna-bench-" + std::to_string(::getpid()) + ".sld";
    fixtures::WriteFile(p, Drawing());
    return p;
  }();
  return path;
}

const std::string& LinesPath() {
  static const std::string path = [] {
    if (const char* given = std::getenv("LANTERNA_BENCH_SLIDE")) return std::string(given);
    std::string p = "/tmp/lanterna-bench-lines-" + std::to_string(::getpid()) + ".sld";
    fixtures::WriteFile(p, fixtures::LongLineDrawing());
    return p;
  }();
  return path;
}

constexpr int64_t kRecords = 200000;

double PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The whole path of `lanterna-cli render`: read, fit, map, draw at 1920 x 1440.
void BM_LoadAndDraw(benchmark::State& state) {
  RenderRequest r;
  r.path = DrawingPath();
  r.width = 1920;
  r.height = 1440;
  for (auto _ : state) {
    RenderResult out = RenderSlide(r);
    benchmark::DoNotOptimize(out.bitmap->pixels.data());
  }
  state.counters["records/s"] = benchmark::Counter(
      static_cast<double>(kRecords * state.iterations()), benchmark::Counter::kIsRate);
  state.counters["peak_MiB"] = PeakRssMiB();
  state.counters["file_MiB"] = static_cast<double>(Drawing().size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_LoadAndDraw)->Unit(benchmark::kMillisecond);

// The long-line slide at 64 x 48 and 1920 x 1440.
void BM_LoadAndDrawLines(benchmark::State& state) {
  RenderRequest r;
  r.path = LinesPath();
  r.width = static_cast<int>(state.range(0));
  r.height = r.width * 3 / 4;
  for (auto _ : state) {
    RenderResult out = RenderSlide(r);
    benchmark::DoNotOptimize(out.bitmap->pixels.data());
  }
}
BENCHMARK(BM_LoadAndDrawLines)->Arg(64)->Arg(1920)->Unit(benchmark::kMillisecond);

// The floor of a slide's fixed cost: reading the file and walking its records, every
// coordinate read and summed, nothing drawn (new-form, little-endian slides only).
void BM_ReadAndWalkRecords(benchmark::State& state) {
  std::vector<uint8_t> data;
  int64_t sum = 0;
  for (auto _ : state) {
    FILE* f = std::fopen(LinesPath().c_str(), "rb");
    if (!f) return state.SkipWithError("cannot open the slide");
    std::fseek(f, 0, SEEK_END);
    data.resize(static_cast<size_t>(std::ftell(f)));
    std::fseek(f, 0, SEEK_SET);
    const size_t got = std::fread(data.data(), 1, data.size(), f);
    std::fclose(f);
    auto word = [&](size_t at) { return static_cast<int16_t>(data[at] | data[at + 1] << 8); };
    size_t at = 31;
    while (at + 2 <= got) {
      const uint8_t code = data[at + 1];
      if (code <= 0x7F) {
        if (at + 8 > got) break;
        sum += word(at) + word(at + 2) + word(at + 4) + word(at + 6);
        at += 8;
      } else if (code == 0xFB) {
        sum += data[at] + data[at + 2] + data[at + 3] + data[at + 4];
        at += 5;
      } else if (code == 0xFE) {
        sum += data[at] + data[at + 2];
        at += 3;
      } else if (code == 0xFD) {
        if (at + 6 > got) break;
        sum += word(at + 2) + word(at + 4);
        at += 6;
      } else if (code == 0xFF) {
        sum += data[at];
        at += 2;
      } else {
        break;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadAndWalkRecords)->Unit(benchmark::kMillisecond);

// The decoder alone on a block already in memory, drawing into a 1920 x 1440 memory bitmap.
void BM_CicloOnly(benchmark::State& state) {
  const fixtures::Bytes& data = Drawing();
  gdi::Bitmap surface;
  surface.width = 1920, surface.height = 1440;
  surface.pixels.assign(1920 * 1440, 0xFFFFFF);
  auto dc = gdi::CreateRasterDC(&surface, gdi::DeviceCaps::TrueColour());
  const SlideHeader h = ParseSlideHeader(data.data(), static_cast<uint32_t>(data.size()));
  FitSlide(h.width, h.height, {0, 0, 1920, 1440});
  ApplyWindowMapping(dc.get(), nullptr);
  LoaderState& L = Loader();
  // No window: the owner a previous benchmark's load left behind is gone with its window.
  L.owner = nullptr;
  for (auto _ : state) {
    L.data = data.data();
    L.IconSize = static_cast<uint32_t>(data.size());
    L.ByteReaded = h.length;
    L.drawDC = dc.get();
    Ciclo(nullptr, nullptr, nullptr);
    benchmark::DoNotOptimize(surface.pixels.data());
  }
  L.data = nullptr;
  L.drawDC = nullptr;
  state.counters["records/s"] = benchmark::Counter(
      static_cast<double>(kRecords * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CicloOnly)->Unit(benchmark::kMillisecond);

// The PNG's pixel data of the drawn slide: indexing and DEFLATE, in one band a core.
void BM_PngPixels(benchmark::State& state) {
  RenderRequest r;
  r.path = DrawingPath();
  r.width = 1920;
  r.height = 1440;
  const RenderResult drawn = RenderSlide(r);
  size_t bytes = 0;
  for (auto _ : state) {
    IndexedPngData data;
    if (IndexedPngPixels(*drawn.bitmap, 5, &data) != PngPixels::kIndexed)
      state.SkipWithError("not indexed");
    bytes = data.idat.Size();
  }
  state.counters["idat_bytes"] = static_cast<double>(bytes);
  state.counters["pixels/s"] = benchmark::Counter(
      1920.0 * 1440.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PngPixels)->Unit(benchmark::kMillisecond);

// Untrusted input: a slide of 1 x 1 units, whose pens scale to cover the whole picture.
const std::string& PensPath() {
  static const std::string path = [] {
    fixtures::SlideWriter w(1, 1);
    for (int i = 0; i < 500; ++i) w.Colour(1 + i % 250).Vector(0, 0, 1, 1);
    std::string p = "/tmp/lanterna-bench-pens-" + std::to_string(::getpid()) + ".sld";
    fixtures::WriteFile(p, w.Build());
    return p;
  }();
  return path;
}

// The work must grow with the pixels drawn and no faster: pixels/s does not fall as the
// picture grows (it rises a little, each row's set-up spread over more pixels).
void BM_WholePicturePens(benchmark::State& state) {
  RenderRequest r;
  r.path = PensPath();
  r.width = r.height = static_cast<int>(state.range(0));
  for (auto _ : state) {
    RenderResult out = RenderSlide(r);
    benchmark::DoNotOptimize(out.bitmap->pixels.data());
  }
  state.counters["pixels/s"] = benchmark::Counter(
      500.0 * static_cast<double>(r.width) * r.height * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WholePicturePens)->Arg(256)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(DrawingPath().c_str());
  std::remove(PensPath().c_str());
  if (!std::getenv("LANTERNA_BENCH_SLIDE")) std::remove(LinesPath().c_str());
  return 0;
}
