// A large drawing like a real CAD slide: mostly short vectors on a 4000 x 3000 extent, in many
// colours, with some fills. Used by the benchmarks.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tests/slide_writer.h"

namespace fixtures {

// The same numbers on every machine, 0 to n - 1 at each call: benchmark slides stay byte-equal.
inline auto Random(uint32_t seed) {
  return [seed](int n) mutable {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
  };
}

inline Bytes BigDrawing(int vectors = 200000) {
  SlideWriter s(4000, 3000);
  auto next = Random(20261208u);
  int x = 2000, y = 1500, lastX = 0, lastY = 0;
  for (int i = 0; i < vectors; ++i) {
    if (i % 500 == 0) s.Colour(1 + next(254));
    if (i % 2000 == 1999) {
      const int fx = 100 + next(3700), fy = 100 + next(2700);
      s.Fill({{fx, fy}, {fx + 60, fy}, {fx + 70, fy + 40}, {fx + 20, fy + 60}, {fx - 10, fy + 30}});
      continue;
    }
    // A segment of 5 to 60 units in a random direction, mostly continuing the last one.
    const double angle = next(3600) * M_PI / 1800.0;
    const int length = 5 + next(56);
    if (next(10) == 0) x = 100 + next(3800), y = 100 + next(2800);
    const int tx = std::clamp(x + static_cast<int>(length * std::cos(angle)), 0, 3999);
    const int ty = std::clamp(y + static_cast<int>(length * std::sin(angle)), 0, 2999);
    if (next(4) == 0 && std::abs(tx - lastX) < 128 && std::abs(ty - lastY) < 128) {
      s.Common(tx - lastX, ty - lastY);  // on from the decoder's last point
      lastX = tx, lastY = ty;
    } else {
      s.Vector(x, y, tx, ty);  // the last point becomes the start
      lastX = x, lastY = y;
    }
    x = tx, y = ty;
  }
  s.EndOfFile();
  return s.Build();
}

// A drawing shaped like a real plan: on a 4000 x 3000 extent, every tenth vector a long line
// between two random points (walls, grids, borders), the rest short strokes of up to 15 units,
// a filled four-point polygon of about 150 x 180 units every 100 vectors and a colour change
// every 16 vectors.
inline Bytes LongLineDrawing(int vectors = 200000) {
  SlideWriter s(4000, 3000);
  auto next = Random(20261210u);
  int x = 2000, y = 1500;
  for (int i = 0; i < vectors; ++i) {
    if (i % 16 == 0) s.Colour(1 + next(255));
    if (i % 100 == 99) {
      const int fx = next(3850), fy = next(2820);
      s.Fill({{fx, fy}, {fx + 150, fy + 10}, {fx + 140, fy + 180}, {fx + 5, fy + 170}});
    }
    if (i % 10 == 0) {
      s.Vector(next(4000), next(3000), next(4000), next(3000));
      continue;
    }
    // A stroke of 1 to 15 units, mostly going on from the last one.
    if (next(8) == 0) x = next(4000), y = next(3000);
    const int tx = std::clamp(x + next(31) - 15, 0, 3999);
    const int ty = std::clamp(y + next(31) - 15, 0, 2999);
    s.Vector(x, y, tx, ty);
    x = tx, y = ty;
  }
  s.EndOfFile();
  return s.Build();
}

}  // namespace fixtures
