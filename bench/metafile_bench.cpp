// Writing a big vector picture as SVG: 200,000 lines in runs of 1,000 per pen. Registered into
// lanterna_bench, whose main() is in render_bench.cpp.
#include <benchmark/benchmark.h>

#include <sstream>

#include "platform/gdi/gdi.h"

namespace {

void BM_MetafileSvg(benchmark::State& state) {
  auto dc = gdi::CreateMetafileDC();
  gdi::SetWindowExtEx(dc.get(), 100, -50, nullptr);
  gdi::SetWindowOrgEx(dc.get(), 0, 50, nullptr);
  gdi::HPEN pens[2] = {gdi::CreatePen(gdi::PS_SOLID, 1, gdi::RGB(255, 0, 0)),
                       gdi::CreatePen(gdi::PS_SOLID, 1, gdi::RGB(0, 0, 255))};
  for (int i = 0; i < 200000; ++i) {
    if (i % 1000 == 0) gdi::SelectObject(dc.get(), pens[(i / 1000) % 2]);
    gdi::MoveToEx(dc.get(), i % 100, (i / 100) % 50, nullptr);
    gdi::LineTo(dc.get(), (i * 7) % 100, (i * 3) % 50);
  }
  for (auto _ : state) {
    std::ostringstream out;
    gdi::WriteMetafileSvg(dc.get(), out, 200, 100);
    benchmark::DoNotOptimize(out.str().size());
  }
  gdi::SelectObject(dc.get(), gdi::GetStockObject(gdi::BLACK_PEN));
  for (gdi::HPEN p : pens) gdi::DeleteObject(p);
}
BENCHMARK(BM_MetafileSvg)->Unit(benchmark::kMillisecond);

}  // namespace
