// Wipeouts: a WIPEOUT hides what was drawn before it. A slide has no background colour that
// stays the background on every viewer, so what lies under a wipeout is taken away instead.
#pragma once

#include <vector>

namespace lanterna::dxfin {

struct Point {
  double x, y;
};

// One thing a slide draws: a path (closed or not), a filled polygon, or a point's mark.
struct Piece {
  int colour = 7;
  std::vector<Point> pts;
  bool closed = false, fill = false, point = false;
};

// What of piece lies outside the polygon mask (inside by the even-odd rule), appended to out:
// paths cut where they cross it, fills cut into trapezoids. The work it takes comes off
// budget; a piece that would take more than is left is kept whole.
void AppendUnmasked(const Piece& piece, const std::vector<Point>& mask, std::vector<Piece>* out,
                    double* budget);

}  // namespace lanterna::dxfin
