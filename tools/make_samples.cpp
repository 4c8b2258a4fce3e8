// Writes the demo slides and library that `make run` shows: make-samples OUTDIR
// With --bench FILE [LINES_FILE], writes the large drawings the benchmarks use: 200,000 short
// vectors, and 200,000 vectors of which every tenth is a long line, with fills.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "tests/big_slide.h"
#include "tests/rendering_writer.h"
#include "tests/slide_writer.h"

using fixtures::SlideWriter;

namespace {

// A small floor plan: walls as vectors, furniture with offset and common-endpoint vectors,
// filled columns and a filled star.
fixtures::Bytes FloorPlan() {
  SlideWriter s(4000, 3000);
  s.Colour(7);
  const int walls[][4] = {{200, 200, 3800, 200},   {3800, 200, 3800, 2800},
                          {3800, 2800, 200, 2800}, {200, 2800, 200, 200},
                          {1800, 200, 1800, 1200}, {1800, 1600, 1800, 2800},
                          {1800, 1400, 3800, 1400}};
  for (auto& w : walls) s.Vector(w[0], w[1], w[2], w[3]);
  s.Colour(1);  // a table: one vector, then the rest drawn from the last point
  s.Vector(600, 600, 1200, 600);
  s.Common(0, 0).Common(100, 100);
  for (int i = 0; i < 4; ++i) s.Common(-100, 100).Common(100, 100);
  s.Colour(3);  // chairs as offset vectors around a point
  s.Vector(2400, 600, 2400, 600);
  for (int i = 0; i < 8; ++i) {
    const double a = i * M_PI / 4;
    const int dx = static_cast<int>(std::lround(100 * std::cos(a)));
    const int dy = static_cast<int>(std::lround(100 * std::sin(a)));
    s.Offset(dx, dy, dx / 2, dy / 2);
  }
  s.Colour(5);  // a circle of common-endpoint vectors
  s.Vector(3300, 2200, 3300, 2200);
  for (int i = 1; i <= 36; ++i) {
    const double a0 = (i - 1) * M_PI / 18, a1 = i * M_PI / 18;
    s.Common(static_cast<int>(std::lround(300 * (std::cos(a1) - std::cos(a0)) * 1.0)),
             static_cast<int>(std::lround(300 * (std::sin(a1) - std::sin(a0)))));
  }
  s.Colour(8);  // columns
  for (int x : {200, 1800, 3800})
    for (int y : {200, 1400, 2800})
      s.Fill({{x - 60, y - 60}, {x + 60, y - 60}, {x + 60, y + 60}, {x - 60, y + 60}});
  s.Colour(2);  // a star: a five-point polygon that overlaps itself (alternate filling)
  std::vector<std::pair<int, int>> star;
  for (int i = 0; i < 5; ++i) {
    const double a = M_PI / 2 + i * 4 * M_PI / 5;
    star.push_back(
        {1000 + static_cast<int>(300 * std::cos(a)), 2100 + static_cast<int>(300 * std::sin(a))});
  }
  s.Fill(star);
  s.Colour(6);
  s.Fill({{2600, 1800}, {3000, 1800}, {2800, 2300}});
  s.EndOfFile();
  return s.Build();
}

// The 256 colours, 16 by 16, each a filled square outlined in its own colour.
fixtures::Bytes ColourChart() {
  SlideWriter s(1700, 1700);
  for (int c = 0; c < 256; ++c) {
    const int x = 50 + (c % 16) * 100, y = 1550 - (c / 16) * 100;
    s.Colour(c);
    s.Fill({{x, y}, {x + 90, y}, {x + 90, y + 90}, {x, y + 90}});
  }
  s.EndOfFile();
  return s.Build();
}

// An old-form slide (level 1, an 8-byte aspect ratio): a spiral.
fixtures::Bytes OldFormSpiral() {
  SlideWriter s(1000, 1000, 1);
  s.Aspect(1.3333);
  s.Colour(4);
  s.Vector(500, 500, 500, 500);
  double px = 500, py = 500;
  for (int i = 1; i < 400; ++i) {
    const double a = i * 0.1, r = i * 1.1;
    const double x = 500 + r * std::cos(a), y = 500 + r * std::sin(a);
    s.Common(static_cast<int>(std::lround(x - px)), static_cast<int>(std::lround(y - py)));
    px += std::lround(x - px);
    py += std::lround(y - py);
  }
  s.EndOfFile();
  return s.Build();
}

fixtures::Bytes Shape(int sides, int colour) {
  SlideWriter s(800, 600);
  s.Colour(colour);
  std::vector<std::pair<int, int>> v;
  for (int i = 0; i < sides; ++i) {
    const double a = 2 * M_PI * i / sides;
    v.push_back(
        {400 + static_cast<int>(250 * std::cos(a)), 300 + static_cast<int>(250 * std::sin(a))});
  }
  if (sides <= 4) {
    s.Fill(v);
  } else {
    for (int i = 0; i < sides; ++i) {
      auto [x0, y0] = v[i];
      auto [x1, y1] = v[(i + 1) % sides];
      s.Vector(x0, y0, x1, y1);
    }
  }
  s.Colour(7);
  s.Vector(100, 50, 700, 50);
  s.EndOfFile();
  return s.Build();
}

// A shaded sphere on a floor as a rendering slide: a 256-entry colour map, then polygons.
fixtures::Bytes ShadedSphere() {
  fixtures::RenderingWriter r(640, 480);
  r.Version(4);
  for (int i = 0; i < 256; ++i) r.ColourEntry(i, i * 3 / 4, i * 3 / 4, i);
  r.ColourMapEnd();
  r.Parameters(0.1, 1.0, 0, 0.2, 0.2, 0.3, 0.3);
  for (int y = 0; y < 480; y += 40) {
    for (int x = 0; x < 640; x += 40) {
      const int shade = ((x / 40 + y / 40) % 2) ? 90 : 40;
      r.Polygon(shade, shade, {{x, y}, {x + 40, y}, {x + 40, y + 40}, {x, y + 40}});
    }
  }
  const double cx = 320, cy = 250, radius = 170;
  for (int ring = 0; ring < 16; ++ring) {
    for (int step = 0; step < 32; ++step) {
      const double r0 = radius * ring / 16, r1 = radius * (ring + 1) / 16;
      const double a0 = 2 * M_PI * step / 32, a1 = 2 * M_PI * (step + 1) / 32;
      // Lambert shading with the light up and to the left.
      const double rm = (r0 + r1) / 2 / radius, am = (a0 + a1) / 2;
      const double nx = rm * std::cos(am), ny = rm * std::sin(am), nz = std::sqrt(1 - rm * rm);
      const double light = std::max(0.0, -0.5 * nx + 0.5 * ny + 0.7 * nz);
      const int shade = std::clamp(static_cast<int>(60 + 195 * light), 0, 255);
      auto at = [&](double rr, double a) {
        return std::pair<int, int>{static_cast<int>(cx + rr * std::cos(a)),
                                   static_cast<int>(cy + rr * std::sin(a))};
      };
      r.Polygon(shade, shade, {at(r0, a0), at(r1, a0), at(r1, a1), at(r0, a1)});
    }
  }
  return r.Build();
}

}  // namespace

int main(int argc, char** argv) {
  if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--bench") {
    const bool ok = fixtures::WriteFile(argv[2], fixtures::BigDrawing()) &&
                    (argc == 3 || fixtures::WriteFile(argv[3], fixtures::LongLineDrawing()));
    return ok ? 0 : 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-samples OUTDIR | make-samples --bench FILE [LINES_FILE]\n");
    return 2;
  }
  const std::string dir = argv[1];
  bool ok =
      fixtures::WriteFile(dir + "/floorplan.sld", FloorPlan()) &&
      fixtures::WriteFile(dir + "/colours.sld", ColourChart()) &&
      fixtures::WriteFile(dir + "/spiral.sld", OldFormSpiral()) &&
      fixtures::WriteFile(dir + "/sphere.rnd", ShadedSphere()) &&
      fixtures::WriteFile(dir + "/shapes.slb", fixtures::LibraryBytes({{"TRIANGLE", Shape(3, 1)},
                                                                       {"SQUARE", Shape(4, 3)},
                                                                       {"HEXAGON", Shape(6, 5)},
                                                                       {"PLAN", FloorPlan()}}));
  if (!ok) std::fprintf(stderr, "make-samples: cannot write into %s\n", dir.c_str());
  return ok ? 0 : 1;
}
