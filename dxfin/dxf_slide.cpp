#include "dxfin/dxf_slide.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <limits>

#include "dxfin/dxf_text.h"
#include "dxfin/dxf_wipeout.h"
#include "slide/slide_encoder.h"

namespace lanterna::dxfin {

namespace {

// x' = a x + b y + e, y' = c x + d y + f.
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
  Point operator()(double x, double y) const { return {a * x + b * y + e, c * x + d * y + f}; }
  Affine operator*(const Affine& o) const {
    return {a * o.a + b * o.c, a * o.b + b * o.d,     c * o.a + d * o.c,
            c * o.b + d * o.d, a * o.e + b * o.f + e, c * o.e + d * o.f + f};
  }
  // How much longer a length can become: curves are flattened for their largest radius.
  double Stretch() const { return std::max(std::hypot(a, c), std::hypot(b, d)); }
};

Affine Translate(double x, double y) {
  return {1, 0, 0, 1, x, y};
}

Affine Of(const Plane& p) {
  return {p.a, p.b, p.c, p.d, p.e, p.f};
}

// One shape in drawing coordinates, in its resolved colour: a path, a filled polygon, or
// rings filled by the even-odd rule.
struct Shape {
  int colour = 7;
  std::vector<std::vector<Point>> rings;
  bool closed = false, fill = false, text = false;
  bool evenOdd = false;  // rings with holes and islands, cut up to fill
  bool glyph = false;    // of a TrueType text
  bool point = false;    // a POINT's mark
  bool wipeout = false;  // a WIPEOUT's polygon: rings[0]
};
using Sink = std::function<void(const Shape&)>;

constexpr int kMaxNesting = 32;  // blocks inserting themselves end here

class Walker {
 public:
  Walker(const Drawing& d, const SlideOptions& o, double tolerance, Sink sink)
      : d_(d),
        tolerance_(tolerance),
        sink_(std::move(sink)),
        maxCopies_(o.maxCopies),
        maxEntities_(o.maxEntities) {
    for (const std::string& l : o.layers) only_.push_back(Upper(l));
  }
  // Whether a limit of copies or entities left part of the drawing out.
  bool Limited() const { return limited_; }

  void Walk(const std::vector<Entity>& entities, const Affine& m, int byBlock,
            const std::string& insertLayer, int depth) {
    for (const Entity& e : entities) {
      if (entities_ >= maxEntities_) {
        limited_ = true;
        return;
      }
      ++entities_;
      if (!e.unlessBlock.empty() && d_.blocks.count(e.unlessBlock)) continue;
      // Entities of layer 0 in a block live on the layer of the block's insert.
      const std::string& layerName = e.layer == "0" && !insertLayer.empty() ? insertLayer : e.layer;
      const auto found = d_.layers.find(layerName);
      const Layer layer = found == d_.layers.end() ? Layer{} : found->second;
      if (!layer.shown) continue;
      if (!only_.empty() && std::find(only_.begin(), only_.end(), layerName) == only_.end())
        continue;
      const int colour = e.colour == 256 ? layer.colour : e.colour == 0 ? byBlock : e.colour;
      linetype_ = e.linetype == "BYLAYER"   ? layer.linetype
                  : e.linetype == "BYBLOCK" ? blockLinetype_
                                            : e.linetype;
      linetypeScale_ = e.linetypeScale;
      Draw(e, m, colour, layerName, depth);
    }
  }

 private:
  static std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
  }

  // Steps for an arc of this radius and sweep, each deviating less than the tolerance.
  int Steps(double radius, double sweep) const {
    const double r = std::abs(radius);
    double step = 2 * M_PI / 64;
    if (tolerance_ > 0 && r > tolerance_) step = 2 * std::acos(1 - tolerance_ / r);
    // A sweep that is no number or endless (a damaged file) gets one step, or the most.
    const double steps = std::ceil(std::abs(sweep) / step);
    if (!(steps > 1)) return 1;
    return static_cast<int>(std::min(steps, 4096.0));
  }

  void Arc(const Vertex& p, const Vertex& q, const Affine& m, std::vector<Point>& out) const {
    std::vector<Point> own;
    ArcPoints(p, q, m, own);
    for (const Point& a : own) out.push_back(m(a.x, a.y));
  }

  // The points inside the arc from p to q, in the entity's own coordinates.
  void ArcPoints(const Vertex& p, const Vertex& q, const Affine& m, std::vector<Point>& out) const {
    const double sweep = 4 * std::atan(p.bulge);
    const double chord = std::hypot(q.x - p.x, q.y - p.y);
    if (chord == 0) return;
    const double radius = chord / (2 * std::sin(std::abs(sweep) / 2));
    // The centre lies off the chord's middle, to the left for a positive bulge.
    const double h = radius * std::cos(sweep / 2) * (sweep > 0 ? 1 : -1);
    const double mx = (p.x + q.x) / 2, my = (p.y + q.y) / 2;
    const double cx = mx - h * (q.y - p.y) / chord, cy = my + h * (q.x - p.x) / chord;
    const double a0 = std::atan2(p.y - cy, p.x - cx);
    const int n = Steps(radius * m.Stretch(), sweep);
    for (int i = 1; i < n; ++i) {
      const double t = a0 + sweep * i / n;
      out.push_back({cx + radius * std::cos(t), cy + radius * std::sin(t)});
    }
  }

  // A polyline with widths: each piece of each segment a filled quadrilateral, its width
  // running from the segment's start width to its end width, and the outer corner between
  // two pieces mitred (bevelled where the mitre would reach past ten half widths).
  void Wide(const Entity& e, const Affine& m, int colour) {
    struct Piece {
      Point a, b;
      double wa, wb;  // half widths
    };
    std::vector<Piece> pieces;
    const size_t n = e.points.size();
    for (size_t i = 0; i + 1 < n || (e.closed && i < n && n > 1); ++i) {
      const Vertex& p = e.points[i];
      const Vertex& q = e.points[(i + 1) % n];
      std::vector<Point> along{{p.x, p.y}};
      if (p.bulge != 0) ArcPoints(p, q, m, along);
      along.push_back({q.x, q.y});
      for (size_t k = 0; k + 1 < along.size(); ++k) {
        if (along[k].x == along[k + 1].x && along[k].y == along[k + 1].y) continue;
        const double f0 = static_cast<double>(k) / static_cast<double>(along.size() - 1);
        const double f1 = static_cast<double>(k + 1) / static_cast<double>(along.size() - 1);
        pieces.push_back({along[k], along[k + 1], (p.w0 + (p.w1 - p.w0) * f0) / 2,
                          (p.w0 + (p.w1 - p.w0) * f1) / 2});
      }
    }
    auto normal = [](const Piece& c) {
      const double len = std::hypot(c.b.x - c.a.x, c.b.y - c.a.y);
      return Point{-(c.b.y - c.a.y) / len, (c.b.x - c.a.x) / len};
    };
    for (size_t i = 0; i < pieces.size(); ++i) {
      const Piece& c = pieces[i];
      const Point nc = normal(c);
      Emit(
          colour,
          {m(c.a.x + nc.x * c.wa, c.a.y + nc.y * c.wa), m(c.b.x + nc.x * c.wb, c.b.y + nc.y * c.wb),
           m(c.b.x - nc.x * c.wb, c.b.y - nc.y * c.wb),
           m(c.a.x - nc.x * c.wa, c.a.y - nc.y * c.wa)},
          true, true);
      const bool last = i + 1 == pieces.size();
      if (last && !e.closed) break;
      const Piece& d = pieces[last ? 0 : i + 1];
      if (d.a.x != c.b.x || d.a.y != c.b.y) continue;
      const Point nd = normal(d);
      const double turn = nc.x * nd.y - nc.y * nd.x;
      if (std::abs(turn) < 1e-12) continue;
      const double side = turn > 0 ? -1 : 1;  // the outer side of the corner
      const Point p1{c.b.x + side * nc.x * c.wb, c.b.y + side * nc.y * c.wb};
      const Point p2{d.a.x + side * nd.x * d.wa, d.a.y + side * nd.y * d.wa};
      // Where the outer edges meet: p1 + t (c's direction) = p2 - u (d's direction).
      const Point u1{nc.y, -nc.x}, u2{nd.y, -nd.x};
      const double det = u1.x * u2.y - u1.y * u2.x;
      const double t = ((p2.x - p1.x) * u2.y - (p2.y - p1.y) * u2.x) / det;
      const Point mitre{p1.x + t * u1.x, p1.y + t * u1.y};
      const double reach = std::hypot(mitre.x - c.b.x, mitre.y - c.b.y);
      if (std::isfinite(reach) && reach <= 10 * std::max(c.wb, d.wa))
        Emit(colour, {m(c.b.x, c.b.y), m(p1.x, p1.y), m(mitre.x, mitre.y), m(p2.x, p2.y)}, true,
             true);
      else
        Emit(colour, {m(c.b.x, c.b.y), m(p1.x, p1.y), m(p2.x, p2.y)}, true, true);
    }
  }

  // The path through the points, their bulges drawn as arcs.
  void Path(const std::vector<Vertex>& points, bool closed, const Affine& m,
            std::vector<Point>& out) const {
    const size_t n = points.size();
    for (size_t i = 0; i < n; ++i) {
      const Vertex& p = points[i];
      out.push_back(m(p.x, p.y));
      if (p.bulge != 0 && (i + 1 < n || closed)) Arc(p, points[(i + 1) % n], m, out);
    }
  }

  void Emit(int colour, std::vector<Point> pts, bool closed, bool fill, bool text = false,
            bool point = false) {
    Shape s;
    s.point = point;
    s.colour = colour;
    s.rings.push_back(std::move(pts));
    s.closed = closed, s.fill = fill, s.text = text;
    sink_(s);
  }

  void Draw(const Entity& e, const Affine& outer, int colour, const std::string& layer, int depth) {
    const Affine m = outer * Of(e.ocs);
    std::vector<Point> pts;
    switch (e.kind) {
      case Kind::kPoint:
        if (!e.points.empty())
          Emit(colour, {m(e.points[0].x, e.points[0].y)}, false, false, false, true);
        return;
      case Kind::kWipeout: {
        Shape s;
        s.colour = colour;
        s.wipeout = s.closed = true;
        s.rings.emplace_back();
        for (const Vertex& v : e.points) s.rings[0].push_back(m(v.x, v.y));
        sink_(s);
        return;
      }
      case Kind::kFill:
        for (const Vertex& v : e.points) pts.push_back(m(v.x, v.y));
        Emit(colour, std::move(pts), true, true);
        return;
      case Kind::kHatch: {
        if (!e.filled) return Pattern(e, m, colour);
        Shape s;
        s.colour = colour;
        s.fill = s.closed = s.evenOdd = true;
        for (const std::vector<Vertex>& loop : e.loops) {
          s.rings.emplace_back();
          Path(loop, true, m, s.rings.back());
        }
        sink_(s);
        return;
      }
      case Kind::kPath:
        for (const Vertex& v : e.points)
          if (v.w0 > 0 || v.w1 > 0) return Wide(e, m, colour);
        Path(e.points, e.closed, m, pts);
        Lined(colour, std::move(pts), e.closed, m);
        return;
      case Kind::kText: {
        const auto style = d_.styleFonts.find(e.text.style.empty() ? "STANDARD" : e.text.style);
        TextPicture picture;
        if (!LayOutText(e, FaceFor(style == d_.styleFonts.end() ? "" : style->second), &picture)) {
          TextBox(e, m, colour);  // no font at all
          return;
        }
        for (const Stroke& stroke : picture.strokes) {
          std::vector<Point> line;
          for (const auto& p : stroke) line.push_back(m(p[0], p[1]));
          Emit(colour, std::move(line), false, false);
        }
        for (const std::vector<Stroke>& glyph : picture.glyphs) {
          Shape s;
          s.colour = colour;
          s.fill = s.closed = s.evenOdd = s.glyph = true;
          for (const Stroke& ring : glyph) {
            s.rings.emplace_back();
            for (const auto& p : ring) s.rings.back().push_back(m(p[0], p[1]));
          }
          sink_(s);
        }
        return;
      }
      case Kind::kEllipse: {
        if (e.points.empty()) return;
        const double cx = e.points[0].x, cy = e.points[0].y;
        const double sweep = e.t1 - e.t0;
        const Affine axes{e.ax, e.bx, e.ay, e.by, cx, cy};
        const Affine to = m * axes;
        const int n = Steps(to.Stretch(), sweep);
        const bool whole = std::abs(sweep - 2 * M_PI) < 1e-9;
        for (int i = 0; i <= n - (whole ? 1 : 0); ++i) {
          const double t = e.t0 + sweep * i / n;
          pts.push_back(to(std::cos(t), std::sin(t)));
        }
        Lined(colour, std::move(pts), whole, m);
        return;
      }
      case Kind::kInsert: {
        const auto b = d_.blocks.find(e.block);
        if (b == d_.blocks.end() || depth >= kMaxNesting || e.points.empty()) return;
        const double r = e.rotation * M_PI / 180, c = std::cos(r), s = std::sin(r);
        const Affine place = Translate(e.points[0].x, e.points[0].y) * Affine{c, -s, s, c, 0, 0};
        const Affine shape =
            Affine{e.sx, 0, 0, e.sy, 0, 0} * Translate(-b->second.baseX, -b->second.baseY);
        for (int row = 0; row < e.rows; ++row)
          for (int col = 0; col < e.cols; ++col, ++instances_) {
            if (instances_ >= maxCopies_) {
              limited_ = true;
              return;
            }
            const std::string outerBlockLinetype = blockLinetype_;
            blockLinetype_ = linetype_;
            Walk(b->second.entities,
                 m * place * Translate(col * e.colSpacing, row * e.rowSpacing) * shape, colour,
                 layer, depth + 1);
            blockLinetype_ = outerBlockLinetype;
          }
        return;
      }
    }
  }

  // A path in the entity's linetype: its dashes scaled by $LTSCALE, the entity's scale and the
  // block's, restarting at each entity. Solid when continuous, unknown or too fine to show.
  void Lined(int colour, std::vector<Point> pts, bool closed, const Affine& m) {
    const auto found = d_.linetypes.find(linetype_);
    double period = 0;
    bool gaps = false;
    if (found != d_.linetypes.end())
      for (double d : found->second) period += std::abs(d), gaps |= d < 0;
    const double scale =
        d_.linetypeScale * linetypeScale_ * std::sqrt(std::abs(m.a * m.d - m.b * m.c));
    period *= scale;
    double length = 0;
    for (size_t i = 0; i + 1 < pts.size(); ++i)
      length += std::hypot(pts[i + 1].x - pts[i].x, pts[i + 1].y - pts[i].y);
    if (closed && pts.size() > 2)
      length += std::hypot(pts[0].x - pts.back().x, pts[0].y - pts.back().y);
    if (!gaps || !(period > 0) || !std::isfinite(length) || length / period > 5000)
      return Emit(colour, std::move(pts), closed, false);
    if (closed && pts.size() > 2) pts.push_back(pts[0]);
    const std::vector<double>& dashes = found->second;
    size_t k = 0;                               // the dash element at the cursor
    double left = std::abs(dashes[0]) * scale;  // how much of it is left
    std::vector<Point> piece;
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
      Point a = pts[i];
      const Point b = pts[i + 1];
      double segment = std::hypot(b.x - a.x, b.y - a.y);
      while (segment > 0) {
        const bool on = dashes[k] >= 0;
        if (on && piece.empty()) piece.push_back(a);
        const double step = std::min(left, segment);
        const Point c{a.x + (b.x - a.x) * step / segment, a.y + (b.y - a.y) * step / segment};
        if (on && step > 0) piece.push_back(c);
        a = c, segment -= step, left -= step;
        if (left <= 0) {
          if (on && !piece.empty()) Emit(colour, std::move(piece), false, false), piece.clear();
          k = (k + 1) % dashes.size();
          left = std::abs(dashes[k]) * scale;
        }
      }
    }
    if (!piece.empty()) Emit(colour, std::move(piece), false, false);
  }

  // A pattern hatch: each pattern line family across the loops' bounding box, cut to the
  // loops by the even-odd rule, then into its dashes.
  void Pattern(const Entity& e, const Affine& m, int colour) {
    std::vector<std::vector<Point>> rings;
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const std::vector<Vertex>& loop : e.loops) {
      rings.emplace_back();
      Path(loop, true, Affine{}, rings.back());
      for (const Point& p : rings.back())
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x),
        y1 = std::max(y1, p.y);
    }
    if (!(x1 >= x0 && y1 >= y0)) return;
    long budget = 200000;  // segments a hatch may draw: a tiny pattern on a big area stops
    for (const PatternLine& l : e.pattern) {
      const double ux = std::cos(l.angle), uy = std::sin(l.angle), nx = -uy, ny = ux;
      const double step = l.dx * nx + l.dy * ny;  // how far apart the lines are
      if (!(std::abs(step) > 1e-9 * std::max(x1 - x0, y1 - y0)) || !std::isfinite(step)) continue;
      double lo = 1e300, hi = -1e300;
      for (const Point& c : {Point{x0, y0}, Point{x1, y0}, Point{x0, y1}, Point{x1, y1}}) {
        const double d = ((c.x - l.x) * nx + (c.y - l.y) * ny) / step;
        lo = std::min(lo, d), hi = std::max(hi, d);
      }
      if (hi - lo > 20000) continue;  // too dense to show
      double period = 0;
      for (double d : l.dashes) period += std::abs(d);
      for (double k = std::ceil(lo); k <= hi && budget > 0; ++k, --budget) {
        const double ox = l.x + k * l.dx, oy = l.y + k * l.dy;  // this line's origin
        std::vector<double> cuts;
        for (const std::vector<Point>& r : rings)
          for (size_t i = 0; i < r.size(); ++i) {
            const Point a = r[i], b = r[(i + 1) % r.size()];
            const double da = (a.x - ox) * nx + (a.y - oy) * ny,
                         db = (b.x - ox) * nx + (b.y - oy) * ny;
            if ((da < 0) == (db < 0)) continue;
            const double f = da / (da - db);
            cuts.push_back((a.x + (b.x - a.x) * f - ox) * ux + (a.y + (b.y - a.y) * f - oy) * uy);
          }
        std::sort(cuts.begin(), cuts.end());
        for (size_t i = 0; i + 1 < cuts.size() && budget > 0; i += 2)
          Dashes(l, period, ox, oy, ux, uy, cuts[i], cuts[i + 1], m, colour, budget);
      }
    }
  }

  // The dashes of a pattern line between parameters t0 and t1 along it.
  void Dashes(const PatternLine& l, double period, double ox, double oy, double ux, double uy,
              double t0, double t1, const Affine& m, int colour, long& budget) {
    auto at = [&](double t) { return m(ox + ux * t, oy + uy * t); };
    // Too fine to show, or to step through exactly: one line.
    if (l.dashes.empty() || !(period > 0) || (t1 - t0) / period > 10000 ||
        std::abs(t0) / period > 1e9) {
      --budget;
      return Emit(colour, {at(t0), at(t1)}, false, false);
    }
    double t = t0 - std::fmod(t0, period);
    if (t > t0) t -= period;
    for (; t < t1 && budget > 0; --budget)
      for (double d : l.dashes) {
        const double a = std::max(t, t0), b = std::min(t + std::abs(d), t1);
        if (d > 0 && b > a) --budget, Emit(colour, {at(a), at(b)}, false, false);
        if (d == 0 && t >= t0 && t <= t1) --budget, Emit(colour, {at(t)}, false, false);
        t += std::abs(d);
      }
  }

  // A text's box: about 0.6 of its height a character wide.
  void TextBox(const Entity& e, const Affine& m, int colour) {
    const Text& t = e.text;
    if (e.points.empty()) return;
    int lines = 1;
    size_t longest = 0, current = 0;
    for (size_t i = 0; i < t.string.size(); ++i) {
      if (t.mtext && t.string.compare(i, 2, "\\P") == 0) {
        ++lines, longest = std::max(longest, current), current = 0, ++i;
        continue;
      }
      ++current;
    }
    longest = std::max(longest, current);
    const double h = t.height, wf = std::max(t.widthFactor, 0.01);
    double w = 0.6 * h * wf * static_cast<double>(longest);
    double dx = 0, dy = 0, x = e.points[0].x, y = e.points[0].y;
    double total = h;
    if (t.mtext) {
      if (t.boxWidth > 0 && lines == 1) w = std::min(w, t.boxWidth);
      total = h * (1 + 1.667 * t.lineSpacing * (lines - 1));
      const int a = t.align - 1;  // 1 top left ... 9 bottom right
      dx = -w * (a % 3) / 2;
      dy = -total + total * (a / 3) / 2;
    } else if (t.aligned && e.points.size() > 1) {
      x = e.points[1].x, y = e.points[1].y;
      const int a = t.align;
      dx = a == 1 || a == 4 ? -w / 2 : a == 2 ? -w : 0;
      dy = t.valign == 2 ? -h / 2 : t.valign == 3 ? -h : 0;
    }
    const double r = t.rotation * M_PI / 180, c = std::cos(r), s = std::sin(r);
    const Affine to = m * Translate(x, y) * Affine{c, -s, s, c, 0, 0};
    std::vector<Point> pts;
    for (const auto& p :
         {Point{dx, dy}, Point{dx + w, dy}, Point{dx + w, dy + total}, Point{dx, dy + total}})
      pts.push_back(to(p.x, p.y));
    Emit(colour, std::move(pts), true, false, true);
  }

  const Drawing& d_;
  std::string linetype_, blockLinetype_;  // the entity's resolved linetype, and its block's
  double linetypeScale_ = 1;
  double tolerance_;
  bool limited_ = false;
  Sink sink_;
  std::vector<std::string> only_;
  long instances_ = 0;
  long maxCopies_;
  long entities_ = 0;
  long maxEntities_;
};

SlidePoint Rounded(double x, double y) {
  return {static_cast<int>(std::lround(std::clamp(x, -1e6, 1e6))),
          static_cast<int>(std::lround(std::clamp(y, -1e6, 1e6)))};
}

// Rings filled by the even-odd rule as trapezoids between the heights of their vertices: a
// slide's fill is one convex polygon, so islands and concave outlines are cut up.
std::vector<std::vector<Point>> EvenOdd(const std::vector<std::vector<Point>>& rings) {
  struct Edge {
    Point a, b;  // a below b
  };
  std::vector<Edge> edges;
  std::vector<double> ys;
  for (const std::vector<Point>& r : rings)
    for (size_t i = 0; i < r.size(); ++i) {
      Point a = r[i], b = r[(i + 1) % r.size()];
      if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y))
        return {};
      ys.push_back(a.y);
      if (a.y == b.y) continue;
      if (a.y > b.y) std::swap(a, b);
      edges.push_back({a, b});
    }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  std::sort(edges.begin(), edges.end(), [](const Edge& p, const Edge& q) { return p.a.y < q.a.y; });
  std::vector<std::vector<Point>> out;
  std::vector<const Edge*> active;
  size_t next = 0;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    const double y0 = ys[k], y1 = ys[k + 1], ym = (y0 + y1) / 2;
    while (next < edges.size() && edges[next].a.y <= y0) active.push_back(&edges[next++]);
    active.erase(
        std::remove_if(active.begin(), active.end(), [&](const Edge* e) { return e->b.y <= y0; }),
        active.end());
    auto xAt = [](const Edge* e, double y) {
      return e->a.x + (e->b.x - e->a.x) * (y - e->a.y) / (e->b.y - e->a.y);
    };
    std::vector<const Edge*> band = active;
    std::sort(band.begin(), band.end(),
              [&](const Edge* p, const Edge* q) { return xAt(p, ym) < xAt(q, ym); });
    for (size_t i = 0; i + 1 < band.size(); i += 2)
      out.push_back({{xAt(band[i], y0), y0},
                     {xAt(band[i + 1], y0), y0},
                     {xAt(band[i + 1], y1), y1},
                     {xAt(band[i], y1), y1}});
  }
  return out;
}

struct Box {
  double minX = std::numeric_limits<double>::max(), minY = minX;
  double maxX = std::numeric_limits<double>::lowest(), maxY = maxX;
  bool any = false;
  void Add(const Point& p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    any = true;
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
};

bool HasWipeouts(const Drawing& d) {
  auto any = [](const std::vector<Entity>& entities) {
    return std::any_of(entities.begin(), entities.end(),
                       [](const Entity& e) { return e.kind == Kind::kWipeout; });
  };
  if (any(d.model)) return true;
  for (const auto& [name, block] : d.blocks)
    if (any(block.entities)) return true;
  return false;
}

}  // namespace

MadeSlide MakeSlide(const Drawing& drawing, const SlideOptions& options) {
  MadeSlide made;
  // Our own files say that their by-block colour 0 is the slide's colour 0.
  const int byBlock = drawing.closedPolylinesAreFills ? 0 : 7;

  // The extents of what is drawn. A header's extents are often stale: they are kept only when
  // they hold the drawing without leaving most of the slide empty (our own files' always).
  Box box;
  Walker(drawing, options, 0, [&](const Shape& s) {
    for (const std::vector<Point>& r : s.rings)
      for (const Point& p : r) box.Add(p);
  }).Walk(drawing.model, Affine{}, byBlock, "", 0);
  if (!box.any) return made;
  double minX = box.minX, minY = box.minY, maxX = box.maxX, maxY = box.maxY;
  if (drawing.hasExtents && options.layers.empty()) {
    const double w = maxX - minX, h = maxY - minY;
    const double slackX = 1e-6 * std::max(std::abs(minX), std::abs(maxX)) + 1e-9;
    const double slackY = 1e-6 * std::max(std::abs(minY), std::abs(maxY)) + 1e-9;
    const bool covers =
        drawing.minX <= minX + w * 0.01 + slackX && drawing.minY <= minY + h * 0.01 + slackY &&
        drawing.maxX >= maxX - w * 0.01 - slackX && drawing.maxY >= maxY - h * 0.01 - slackY;
    const double hw = drawing.maxX - drawing.minX, hh = drawing.maxY - drawing.minY;
    const double longer = std::max(w, h), headerLonger = std::max(hw, hh);
    const bool snug = headerLonger <= 1.5 * longer;
    if (covers && (snug || drawing.closedPolylinesAreFills)) {
      minX = drawing.minX;
      minY = drawing.minY;
      maxX = drawing.maxX;
      maxY = drawing.maxY;
    }
  }
  const bool own = drawing.closedPolylinesAreFills;
  if (!own) {
    // A margin of a pixel on a view 800 pixels wide: a line along the extents' lower or right
    // edge would fall just outside the picture.
    const double margin = std::max(maxX - minX, maxY - minY) / 800;
    minX -= margin, minY -= margin, maxX += margin, maxY += margin;
  }
  const double ew = maxX - minX, eh = maxY - minY, longer = std::max(ew, eh);

  double scale;
  if (options.width > 0 && options.height > 0) {
    made.width = options.width;
    made.height = options.height;
    scale = longer <= 0 ? 1
            : ew <= 0   ? options.height / eh
            : eh <= 0   ? options.width / ew
                        : std::min(options.width / ew, options.height / eh);
  } else {
    // Our own DXF of a slide keeps its units, one slide unit each, so that it comes back
    // unchanged; any other drawing is spread over 4000 units, fine enough for small texts.
    scale = own && longer >= 200 && longer <= 32000 ? 1 : longer > 0 ? 4000 / longer : 1;
    made.width = std::clamp(static_cast<int>(std::lround(ew * scale)), 1, 32767);
    made.height = std::clamp(static_cast<int>(std::lround(eh * scale)), 1, 32767);
  }
  const double offX = (made.width - ew * scale) / 2, offY = (made.height - eh * scale) / 2;

  SlideEncoder enc = BeginSlide(made.width, made.height);
  const size_t headerSize = enc.bytes.size();
  auto toSlide = [&](const Point& p) {
    return Rounded((p.x - minX) * scale + offX, (p.y - minY) * scale + offY);
  };
  // A point's mark spans a pixel or more of a view 400 pixels wide: shorter, it vanishes when
  // the slide is drawn smaller than its own size.
  const int mark =
      std::max(1, static_cast<int>(std::ceil(std::max(made.width, made.height) / 400.0)));
  auto emit = [&](int colour, const std::vector<Point>& pts, bool closed, bool fill,
                  bool point = false) {
    std::vector<SlidePoint> s;
    for (const Point& p : pts) {
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
      const SlidePoint q = toSlide(p);
      if (s.empty() || !(q == s.back())) s.push_back(q);
    }
    if ((closed || fill) && s.size() > 1 && s.front() == s.back()) s.pop_back();
    if (s.empty()) return;
    EncodeColour(enc, std::clamp(colour, 0, 255));
    if (fill && s.size() >= 3) {
      EncodeFill(enc, s);
      ++made.fills;
      return;
    }
    if (s.size() == 1) {
      // A point is a short line: a line of no length shows nothing.
      EncodeLine(enc, s[0], {s[0].x + (point ? mark : 1), s[0].y});
      ++made.lines;
      return;
    }
    for (size_t i = 0; i + 1 < s.size(); ++i, ++made.lines) EncodeLine(enc, s[i], s[i + 1]);
    if ((closed || fill) && s.size() > 2) {
      EncodeLine(enc, s.back(), s.front());
      ++made.lines;
    }
  };
  // With wipeouts in the drawing, what is drawn waits: each wipeout takes away what lies under
  // it of what came before.
  const bool masking = HasWipeouts(drawing);
  std::vector<Piece> pending;
  double budget = 3e8;  // the work wipeouts may take: past it they hide nothing more
  auto put = [&](int colour, const std::vector<Point>& pts, bool closed, bool fill,
                 bool point = false) {
    if (!masking) return emit(colour, pts, closed, fill, point);
    pending.push_back({colour, pts, closed, fill, point});
  };
  // A quarter of a slide unit: curves look round at the slide's own resolution.
  Walker drawer(drawing, options, 0.25 / scale, [&](const Shape& shape) {
    made.texts += shape.text;
    if (shape.wipeout) {
      std::vector<Piece> kept;
      for (const Piece& p : pending) AppendUnmasked(p, shape.rings[0], &kept, &budget);
      pending = std::move(kept);
      if (drawing.wipeoutFrame) put(shape.colour, shape.rings[0], true, false);
      return;
    }
    if (shape.evenOdd) {
      // Outlines too, so that a fill too thin for its trapezoids still shows; a glyph's only
      // when it is small, as they make a bigger one bold.
      Box glyph;
      for (const std::vector<Point>& r : shape.rings)
        for (const Point& p : r) glyph.Add(p);
      const bool small = (glyph.maxY - glyph.minY) * scale < 40;
      if (!shape.glyph || small)
        for (const std::vector<Point>& r : shape.rings) put(shape.colour, r, true, false);
      for (const std::vector<Point>& q : EvenOdd(shape.rings)) put(shape.colour, q, true, true);
      return;
    }
    for (const std::vector<Point>& r : shape.rings)
      put(shape.colour, r, shape.closed, shape.fill, shape.point);
  });
  drawer.Walk(drawing.model, Affine{}, byBlock, "", 0);
  for (const Piece& p : pending) emit(p.colour, p.pts, p.closed, p.fill, p.point);
  made.limited = drawer.Limited();
  if (enc.bytes.size() == headerSize) return made;
  EndSlide(enc);
  made.bytes = std::move(enc.bytes);
  return made;
}

}  // namespace lanterna::dxfin
