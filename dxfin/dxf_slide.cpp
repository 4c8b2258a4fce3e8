#include "dxfin/dxf_slide.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <limits>

#include "slide/slide_encoder.h"

namespace lanterna::dxfin {

namespace {

struct Point {
  double x, y;
};

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

// One shape in drawing coordinates, in its resolved colour.
using Sink = std::function<void(int colour, const std::vector<Point>& points, bool closed,
                                bool fill, bool text)>;

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
      // Entities of layer 0 in a block live on the layer of the block's insert.
      const std::string& layerName = e.layer == "0" && !insertLayer.empty() ? insertLayer : e.layer;
      const auto found = d_.layers.find(layerName);
      const Layer layer = found == d_.layers.end() ? Layer{} : found->second;
      if (!layer.shown) continue;
      if (!only_.empty() && std::find(only_.begin(), only_.end(), layerName) == only_.end())
        continue;
      const int colour = e.colour == 256 ? layer.colour : e.colour == 0 ? byBlock : e.colour;
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
      out.push_back(m(cx + radius * std::cos(t), cy + radius * std::sin(t)));
    }
  }

  void Draw(const Entity& e, const Affine& m, int colour, const std::string& layer, int depth) {
    std::vector<Point> pts;
    switch (e.kind) {
      case Kind::kPoint:
        if (!e.points.empty())
          sink_(colour, {m(e.points[0].x, e.points[0].y)}, false, false, false);
        return;
      case Kind::kFill:
        for (const Vertex& v : e.points) pts.push_back(m(v.x, v.y));
        sink_(colour, pts, true, true, false);
        return;
      case Kind::kPath: {
        const size_t n = e.points.size();
        for (size_t i = 0; i < n; ++i) {
          const Vertex& p = e.points[i];
          pts.push_back(m(p.x, p.y));
          if (p.bulge != 0 && (i + 1 < n || e.closed)) Arc(p, e.points[(i + 1) % n], m, pts);
        }
        sink_(colour, pts, e.closed, false, e.text);
        return;
      }
      case Kind::kEllipse: {
        if (e.points.empty()) return;
        const double cx = e.points[0].x, cy = e.points[0].y;
        const double vx = -e.ay * e.ratio, vy = e.ax * e.ratio;
        const double sweep = e.t1 - e.t0;
        const int n = Steps(std::hypot(e.ax, e.ay) * m.Stretch(), sweep);
        const bool whole = std::abs(sweep - 2 * M_PI) < 1e-9;
        for (int i = 0; i <= n - (whole ? 1 : 0); ++i) {
          const double t = e.t0 + sweep * i / n;
          pts.push_back(m(cx + e.ax * std::cos(t) + vx * std::sin(t),
                          cy + e.ay * std::cos(t) + vy * std::sin(t)));
        }
        sink_(colour, pts, whole, false, false);
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
            Walk(b->second.entities,
                 m * place * Translate(col * e.colSpacing, row * e.rowSpacing) * shape, colour,
                 layer, depth + 1);
          }
        return;
      }
    }
  }

  const Drawing& d_;
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

}  // namespace

MadeSlide MakeSlide(const Drawing& drawing, const SlideOptions& options) {
  MadeSlide made;
  // Our own files say that their by-block colour 0 is the slide's colour 0.
  const int byBlock = drawing.closedPolylinesAreFills ? 0 : 7;

  double minX = std::numeric_limits<double>::max(), minY = minX;
  double maxX = std::numeric_limits<double>::lowest(), maxY = maxX;
  bool any = false;
  Walker(drawing, options, 0, [&](int, const std::vector<Point>& pts, bool, bool, bool) {
    for (const Point& p : pts) {
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
      any = true;
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
    }
  }).Walk(drawing.model, Affine{}, byBlock, "", 0);
  if (!any) return made;
  if (drawing.hasExtents && options.layers.empty()) {
    minX = drawing.minX;
    minY = drawing.minY;
    maxX = drawing.maxX;
    maxY = drawing.maxY;
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
    // A drawing in plain screen-like units keeps them, one slide unit each, so that a slide
    // written out as DXF comes back unchanged; anything else is spread over 4000 units.
    scale = longer >= 200 && longer <= 32000 ? 1 : longer > 0 ? 4000 / longer : 1;
    made.width = std::clamp(static_cast<int>(std::lround(ew * scale)), 1, 32767);
    made.height = std::clamp(static_cast<int>(std::lround(eh * scale)), 1, 32767);
  }
  const double offX = (made.width - ew * scale) / 2, offY = (made.height - eh * scale) / 2;

  SlideEncoder enc = BeginSlide(made.width, made.height);
  const size_t headerSize = enc.bytes.size();
  auto toSlide = [&](const Point& p) {
    return Rounded((p.x - minX) * scale + offX, (p.y - minY) * scale + offY);
  };
  // A quarter of a slide unit: curves look round at the slide's own resolution.
  Walker drawer(drawing, options, 0.25 / scale,
                [&](int colour, const std::vector<Point>& pts, bool closed, bool fill, bool text) {
                  std::vector<SlidePoint> s;
                  for (const Point& p : pts) {
                    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
                    const SlidePoint q = toSlide(p);
                    if (s.empty() || !(q == s.back())) s.push_back(q);
                  }
                  if ((closed || fill) && s.size() > 1 && s.front() == s.back()) s.pop_back();
                  if (s.empty()) return;
                  made.texts += text;
                  EncodeColour(enc, std::clamp(colour, 0, 255));
                  if (fill && s.size() >= 3) {
                    EncodeFill(enc, s);
                    ++made.fills;
                    return;
                  }
                  if (s.size() == 1) {
                    // A point is a one-unit line: a line of no length shows nothing.
                    EncodeLine(enc, s[0], {s[0].x + 1, s[0].y});
                    ++made.lines;
                    return;
                  }
                  for (size_t i = 0; i + 1 < s.size(); ++i, ++made.lines)
                    EncodeLine(enc, s[i], s[i + 1]);
                  if ((closed || fill) && s.size() > 2) {
                    EncodeLine(enc, s.back(), s.front());
                    ++made.lines;
                  }
                });
  drawer.Walk(drawing.model, Affine{}, byBlock, "", 0);
  made.limited = drawer.Limited();
  if (enc.bytes.size() == headerSize) return made;
  EndSlide(enc);
  made.bytes = std::move(enc.bytes);
  return made;
}

}  // namespace lanterna::dxfin
