#include "dxfin/dxf_wipeout.h"

#include <algorithm>
#include <cmath>

namespace lanterna::dxfin {

namespace {

bool Inside(const std::vector<Point>& ring, Point p) {
  bool in = false;
  for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    const Point a = ring[i], b = ring[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (b.x - a.x) * (p.y - a.y) / (b.y - a.y)) in = !in;
  }
  return in;
}

// Where segment a-b crosses segment c-d, as a fraction along a-b; false when it does not.
bool Crossing(Point a, Point b, Point c, Point d, double* t) {
  const double rx = b.x - a.x, ry = b.y - a.y, sx = d.x - c.x, sy = d.y - c.y;
  const double den = rx * sy - ry * sx;
  if (den == 0) return false;
  const double qx = c.x - a.x, qy = c.y - a.y;
  *t = (qx * sy - qy * sx) / den;
  const double u = (qx * ry - qy * rx) / den;
  return *t > 0 && *t < 1 && u >= 0 && u <= 1;
}

Point At(Point a, Point b, double t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// A path's pieces outside the mask.
void CutPath(const Piece& piece, const std::vector<Point>& mask, std::vector<Piece>* out) {
  std::vector<Point> pts = piece.pts;
  if (piece.closed && pts.size() > 2) pts.push_back(pts[0]);
  bool cut = false;
  Piece part = piece;
  part.closed = false;
  part.pts.clear();
  auto flush = [&] {
    if (part.pts.size() > 1) out->push_back(part);
    part.pts.clear();
  };
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    const Point a = pts[i], b = pts[i + 1];
    std::vector<double> ts{0, 1};
    double t;
    for (size_t k = 0; k < mask.size(); ++k)
      if (Crossing(a, b, mask[k], mask[(k + 1) % mask.size()], &t)) ts.push_back(t);
    std::sort(ts.begin(), ts.end());
    for (size_t k = 0; k + 1 < ts.size(); ++k) {
      if (Inside(mask, At(a, b, (ts[k] + ts[k + 1]) / 2))) {
        cut = true;
        flush();
        continue;
      }
      if (part.pts.empty()) part.pts.push_back(At(a, b, ts[k]));
      part.pts.push_back(At(a, b, ts[k + 1]));
    }
  }
  if (!cut) {
    out->push_back(piece);
    return;
  }
  flush();
}

// A fill's parts outside the mask: between the heights of all corners and crossings no edge
// crosses another, so each band splits into trapezoids between neighbouring edges.
void CutFill(const Piece& piece, const std::vector<Point>& mask, std::vector<Piece>* out) {
  struct Edge {
    Point a, b;  // a below b
    bool mask;
  };
  std::vector<Edge> edges;
  std::vector<double> ys;
  auto add = [&](const std::vector<Point>& ring, bool isMask) {
    for (size_t i = 0; i < ring.size(); ++i) {
      Point a = ring[i], b = ring[(i + 1) % ring.size()];
      ys.push_back(a.y);
      if (a.y == b.y) continue;
      if (a.y > b.y) std::swap(a, b);
      edges.push_back({a, b, isMask});
    }
  };
  add(piece.pts, false);
  add(mask, true);
  for (size_t i = 0; i < edges.size(); ++i)
    for (size_t j = i + 1; j < edges.size(); ++j) {
      if (edges[i].mask == edges[j].mask) continue;  // a ring crossing itself is not cut up
      double t;
      if (Crossing(edges[i].a, edges[i].b, edges[j].a, edges[j].b, &t))
        ys.push_back(At(edges[i].a, edges[i].b, t).y);
    }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  auto xAt = [](const Edge* e, double y) {
    return e->a.x + (e->b.x - e->a.x) * (y - e->a.y) / (e->b.y - e->a.y);
  };
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    const double y0 = ys[k], y1 = ys[k + 1], ym = (y0 + y1) / 2;
    std::vector<const Edge*> band;
    for (const Edge& e : edges)
      if (e.a.y <= y0 && e.b.y >= y1) band.push_back(&e);
    std::sort(band.begin(), band.end(),
              [&](const Edge* p, const Edge* q) { return xAt(p, ym) < xAt(q, ym); });
    bool inFill = false, inMask = false;
    for (size_t i = 0; i + 1 < band.size(); ++i) {
      bool& side = band[i]->mask ? inMask : inFill;
      side = !side;
      if (!inFill || inMask) continue;
      Piece t = piece;
      t.pts = {{xAt(band[i], y0), y0},
               {xAt(band[i + 1], y0), y0},
               {xAt(band[i + 1], y1), y1},
               {xAt(band[i], y1), y1}};
      out->push_back(std::move(t));
    }
  }
}

struct Bounds {
  double x0, y0, x1, y1;
};

Bounds Of(const std::vector<Point>& pts) {
  Bounds b{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
  for (const Point& p : pts)
    b = {std::min(b.x0, p.x), std::min(b.y0, p.y), std::max(b.x1, p.x), std::max(b.y1, p.y)};
  return b;
}

}  // namespace

void AppendUnmasked(const Piece& piece, const std::vector<Point>& mask, std::vector<Piece>* out,
                    double* budget) {
  // Each edge of one against each of the other, for a fill again in each band.
  const double m = static_cast<double>(mask.size()), n = static_cast<double>(piece.pts.size());
  const double work = n * m * (piece.fill ? n + m : 1);
  *budget -= n + m;  // looking at both
  if (mask.size() < 3 || piece.pts.empty() || work > *budget) return out->push_back(piece);
  // Far off or no numbers (a damaged file): sorting by them would not be sound.
  auto sane = [](const Point& q) { return std::abs(q.x) < 1e15 && std::abs(q.y) < 1e15; };
  if (!std::all_of(mask.begin(), mask.end(), sane) ||
      !std::all_of(piece.pts.begin(), piece.pts.end(), sane))
    return out->push_back(piece);
  const Bounds box = Of(mask), p = Of(piece.pts);
  if (p.x1 < box.x0 || p.x0 > box.x1 || p.y1 < box.y0 || p.y0 > box.y1)
    return out->push_back(piece);
  *budget -= work;
  if (piece.pts.size() == 1) {
    if (!Inside(mask, piece.pts[0])) out->push_back(piece);
    return;
  }
  if (!piece.fill || piece.pts.size() < 3) return CutPath(piece, mask, out);
  if (mask.size() + piece.pts.size() > 1024) return out->push_back(piece);  // too many bands
  CutFill(piece, mask, out);
}

}  // namespace lanterna::dxfin
