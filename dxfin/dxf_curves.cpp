#include "dxfin/dxf_curves.h"

#include <algorithm>
#include <cmath>

namespace lanterna::dxfin {

double Sweep(double start, double end, double turn) {
  double sweep = std::fmod(end - start, turn);
  if (sweep <= 0) sweep += turn;
  return sweep;
}

namespace {

struct Weighted {
  double x, y, w;
};

// The rational B-spline at parameter t.
Vertex DeBoor(const Spline& s, double t) {
  const int p = s.degree;
  const size_t n = s.control.size();
  size_t k = static_cast<size_t>(p);
  while (k + 1 < n && t >= s.knots[k + 1]) ++k;
  std::vector<Weighted> d;
  for (int j = 0; j <= p; ++j) {
    const size_t i = k - static_cast<size_t>(p) + static_cast<size_t>(j);
    const Vertex& c = s.control[i];
    const double w = s.weights.size() == n && s.weights[i] > 0 ? s.weights[i] : 1;
    d.push_back({c.x * w, c.y * w, w});
  }
  for (int r = 1; r <= p; ++r)
    for (int j = p; j >= r; --j) {
      const size_t i = k - static_cast<size_t>(p) + static_cast<size_t>(j);
      const double den = s.knots[i + static_cast<size_t>(p - r) + 1] - s.knots[i];
      const double a = den == 0 ? 0 : (t - s.knots[i]) / den;
      d[j] = {(1 - a) * d[j - 1].x + a * d[j].x, (1 - a) * d[j - 1].y + a * d[j].y,
              (1 - a) * d[j - 1].w + a * d[j].w};
    }
  const Weighted& r = d[static_cast<size_t>(p)];
  return {r.x / r.w, r.y / r.w, 0};
}

// Centripetal Catmull-Rom through the points, 16 steps a span, the ends extended by mirroring.
std::vector<Vertex> ThroughPoints(const std::vector<Vertex>& f) {
  std::vector<Vertex> out;
  const size_t n = f.size();
  auto at = [&](long i) -> Vertex {
    if (i < 0) return {2 * f[0].x - f[1].x, 2 * f[0].y - f[1].y, 0};
    if (static_cast<size_t>(i) >= n)
      return {2 * f[n - 1].x - f[n - 2].x, 2 * f[n - 1].y - f[n - 2].y, 0};
    return f[static_cast<size_t>(i)];
  };
  auto knot = [](const Vertex& a, const Vertex& b) {
    return std::max(std::sqrt(std::hypot(b.x - a.x, b.y - a.y)), 1e-12);
  };
  out.push_back(f[0]);
  for (size_t i = 0; i + 1 < n; ++i) {
    const Vertex p0 = at(static_cast<long>(i) - 1), p1 = f[i], p2 = f[i + 1],
                 p3 = at(static_cast<long>(i) + 2);
    const double t1 = knot(p0, p1), t2 = t1 + knot(p1, p2), t3 = t2 + knot(p2, p3);
    for (int k = 1; k <= 16; ++k) {
      const double t = t1 + (t2 - t1) * k / 16;
      auto lerp = [](const Vertex& a, const Vertex& b, double ta, double tb, double t) {
        const double u = (t - ta) / (tb - ta);
        return Vertex{a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, 0};
      };
      const Vertex a1 = lerp(p0, p1, 0, t1, t), a2 = lerp(p1, p2, t1, t2, t),
                   a3 = lerp(p2, p3, t2, t3, t);
      const Vertex b1 = lerp(a1, a2, 0, t2, t), b2 = lerp(a2, a3, t1, t3, t);
      out.push_back(lerp(b1, b2, t1, t2, t));
    }
  }
  return out;
}

}  // namespace

std::vector<Vertex> FlattenSpline(const Spline& s) {
  const size_t n = s.control.size();
  const int p = s.degree;
  std::vector<Vertex> out;
  if (n > static_cast<size_t>(p) && p >= 1 && p <= 64 &&
      s.knots.size() == n + static_cast<size_t>(p) + 1 &&
      s.knots[n] > s.knots[static_cast<size_t>(p)]) {
    const double lo = s.knots[static_cast<size_t>(p)], hi = s.knots[n];
    const size_t steps = std::min<size_t>(16 * n, 1 << 20);
    for (size_t i = 0; i <= steps; ++i)
      out.push_back(DeBoor(s, lo + (hi - lo) * static_cast<double>(i) / steps));
  } else if (s.fit.size() >= 2) {
    out = ThroughPoints(s.fit);
  } else {
    out = s.control;
  }
  return out;
}

}  // namespace lanterna::dxfin
