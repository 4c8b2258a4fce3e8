#include "dxfin/dxf_entities.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "dxfin/dxf_curves.h"

namespace lanterna::dxfin {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

double Number(const std::string& s) {
  return std::strtod(s.c_str(), nullptr);
}

// Cap on items read from one object: counts are the file's word, not a promise.
constexpr size_t kMaxItems = 1 << 20;

// The groups of one object, looked up by code (the first of each) or walked in order.
class Groups {
 public:
  explicit Groups(const std::vector<Group>& g) : g_(g) {}
  double Num(int code, double fallback = 0) const {
    for (const Group& x : g_)
      if (x.code == code) return Number(x.value);
    return fallback;
  }
  int Int(int code, int fallback = 0) const {
    const double n = Num(code, fallback);
    return std::isfinite(n) ? static_cast<int>(std::clamp(n, -1e9, 1e9)) : fallback;
  }
  bool Has(int code) const {
    for (const Group& x : g_)
      if (x.code == code) return true;
    return false;
  }
  std::string Str(int code) const {
    for (const Group& x : g_)
      if (x.code == code) return x.value;
    return "";
  }
  Plane Ocs(double elevation) const {
    return OcsPlane(Num(210, 0), Num(220, 0), Num(230, 1), elevation);
  }

  // Walking: the group at the cursor, and taking it when it has the code.
  bool Done() const { return at_ >= g_.size(); }
  int Code() const { return Done() ? -1 : g_[at_].code; }
  void Next() { ++at_; }
  double Take(int code, double fallback = 0) {
    if (Code() != code) return fallback;
    return Number(g_[at_++].value);
  }
  void SkipTo(std::initializer_list<int> codes) {
    while (!Done() && std::find(codes.begin(), codes.end(), Code()) == codes.end()) ++at_;
  }
  size_t At() const { return at_; }
  void Seek(size_t at) { at_ = at; }

 private:
  const std::vector<Group>& g_;
  size_t at_ = 0;
};

class Reader {
 public:
  Reader(const RawObject& o, const EntityContext& c, std::vector<Entity>& out)
      : o_(o), g_(o.groups), c_(c), out_(out) {}

  void Read(const std::vector<RawObject>& vertices) {
    if (g_.Int(67) != 0) return;  // paper space: a sheet layout, not the drawing
    const std::string& t = o_.type;
    if (t == "LINE") {
      Add(Kind::kPath).points = {{g_.Num(10), g_.Num(20), 0}, {g_.Num(11), g_.Num(21), 0}};
    } else if (t == "POINT") {
      Add(Kind::kPoint).points = {{g_.Num(10), g_.Num(20), 0}};
    } else if (t == "CIRCLE" || t == "ARC") {
      const double r = g_.Num(40);
      Entity& e = Add(Kind::kEllipse);
      e.ocs = g_.Ocs(g_.Num(30));
      e.points = {{g_.Num(10), g_.Num(20), 0}};
      e.ax = r, e.by = r;
      const double a0 = t == "ARC" ? g_.Num(50) : 0, a1 = t == "ARC" ? g_.Num(51) : 360;
      e.t0 = a0 * M_PI / 180;
      e.t1 = (a0 + Sweep(a0, a1, 360)) * M_PI / 180;
    } else if (t == "ELLIPSE") {
      Ellipse();
    } else if (t == "LWPOLYLINE") {
      LwPolyline();
    } else if (t == "POLYLINE") {
      Polyline(vertices);
    } else if (t == "SPLINE") {
      SplineEntity();
    } else if (t == "SOLID" || t == "TRACE") {
      Entity& e = Add(Kind::kFill);
      e.ocs = g_.Ocs(g_.Num(30));
      // Corners 1 2 4 3 go round the outline.
      for (int i : {0, 1, 3, 2}) Corner(e, g_.Num(10 + i), g_.Num(20 + i));
    } else if (t == "3DFACE") {
      Face();
    } else if (t == "TEXT" || t == "ATTRIB" || (t == "ATTDEF" && !c_.inBlock)) {
      TextEntity();
    } else if (t == "MTEXT") {
      MText();
    } else if (t == "INSERT") {
      Insert();
    } else if (t == "HATCH") {
      Hatch();
    } else if (t == "DIMENSION") {
      const std::string block = Upper(Trim(g_.Str(2)));
      if (!block.empty()) BlockAtOrigin("DIMENSION", block);
      LinearDimension(block);
    } else if (t == "ACAD_TABLE") {
      Entity& e = BlockAtOrigin("ACAD_TABLE", g_.Str(2));
      if (!e.points.empty()) e.points[0] = {g_.Num(10), g_.Num(20), 0};
    } else if (t == "LEADER") {
      Leader();
    } else if (t == "WIPEOUT") {
      Wipeout();
    } else if (t == "ATTDEF" || t == "VIEWPORT" || t == "SEQEND" || t == "VERTEX") {
      // A block's attribute definitions show through the ATTRIBs of its inserts; outside
      // blocks they show their tags.
    } else {
      Skip(t);
    }
  }

 private:
  Entity& Add(Kind kind) {
    out_.emplace_back();
    Entity& e = out_.back();
    e.kind = kind;
    e.layer = Upper(Trim(g_.Str(8)));
    if (e.layer.empty()) e.layer = "0";
    const std::string linetype = Upper(Trim(g_.Str(6)));
    if (!linetype.empty()) e.linetype = linetype;
    e.linetypeScale = g_.Num(48, 1);
    if (!(e.linetypeScale > 1e-9 && e.linetypeScale < 1e9)) e.linetypeScale = 1;
    e.colour = g_.Int(62, 256);
    if (e.colour < 0 || e.colour > 256) e.colour = 256;
    return e;
  }

  void Skip(const std::string& kind) {
    if (c_.skipped) ++(*c_.skipped)[kind];
  }

  static void Corner(Entity& e, double x, double y) {
    if (e.points.empty() || x != e.points.back().x || y != e.points.back().y)
      e.points.push_back({x, y, 0});
  }

  void Ellipse() {
    // Centre and major axis in world coordinates; the minor axis is ratio times the extrusion
    // crossed with the major axis, so a negative extrusion turns the ellipse the other way.
    Entity& e = Add(Kind::kEllipse);
    const double mx = g_.Num(11), my = g_.Num(21), mz = g_.Num(31), ratio = g_.Num(40, 1);
    double nx = g_.Num(210, 0), ny = g_.Num(220, 0), nz = g_.Num(230, 1);
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(len > 0))
      nx = 0, ny = 0, nz = 1;
    else
      nx /= len, ny /= len, nz /= len;
    e.points = {{g_.Num(10), g_.Num(20), 0}};
    e.ax = mx, e.ay = my;
    e.bx = ratio * (ny * mz - nz * my);
    e.by = ratio * (nz * mx - nx * mz);
    const double a0 = g_.Num(41, 0), a1 = g_.Num(42, 2 * M_PI);
    e.t0 = a0;
    e.t1 = a0 + Sweep(a0, a1, 2 * M_PI);
  }

  void LwPolyline() {
    const int flags = g_.Int(70);
    const bool fill = c_.closedPolylinesAreFills && (flags & 1);
    Entity& e = Add(fill ? Kind::kFill : Kind::kPath);
    e.closed = flags & 1;
    e.ocs = g_.Ocs(g_.Num(38));
    const double width = g_.Num(43);  // constant width, before the vertices
    for (const Group& x : o_.groups) {
      if (x.code == 10 && e.points.size() < kMaxItems)
        e.points.push_back({Number(x.value), 0, 0, width, width});
      if (e.points.empty()) continue;
      if (x.code == 20) e.points.back().y = Number(x.value);
      if (x.code == 42) e.points.back().bulge = Number(x.value);
      if (x.code == 40) e.points.back().w0 = Number(x.value);
      if (x.code == 41) e.points.back().w1 = Number(x.value);
    }
    Widths(e);
  }

  void Polyline(const std::vector<RawObject>& vertices) {
    const int flags = g_.Int(70);
    std::vector<Vertex> points;
    std::vector<std::vector<int>> faces;
    for (const RawObject& v : vertices) {
      if (v.type != "VERTEX") continue;
      const Groups vg(v.groups);
      const int vf = vg.Int(70);
      if ((flags & 64) && (vf & 128) && !(vf & 64)) {
        // A polyface face: up to four 1-based vertex numbers, negative for a hidden edge.
        faces.push_back({vg.Int(71), vg.Int(72), vg.Int(73), vg.Int(74)});
        continue;
      }
      if (vf & 16) continue;  // a spline's frame, not its curve
      if (points.size() < kMaxItems)
        points.push_back(
            {vg.Num(10), vg.Num(20), vg.Num(42), vg.Num(40, g_.Num(40)), vg.Num(41, g_.Num(41))});
    }
    if (flags & 64) return Polyface(points, faces);
    if (flags & 16) return Mesh(points, g_.Int(71), g_.Int(72), flags);
    const bool fill = c_.closedPolylinesAreFills && (flags & 1);
    Entity& e = Add(fill ? Kind::kFill : Kind::kPath);
    e.closed = flags & 1;
    // 3D polylines are in world coordinates, 2D ones in their own plane.
    if (!(flags & 8)) e.ocs = g_.Ocs(g_.Num(30));
    if (flags & 8)
      for (Vertex& p : points) p.bulge = 0, p.w0 = p.w1 = 0;
    e.points = std::move(points);
    Widths(e);
  }

  // Widths are drawn as filled outlines (not our own fills); no width or a bad one is none.
  static void Widths(Entity& e) {
    for (Vertex& v : e.points) {
      if (e.kind != Kind::kPath || !(v.w0 > 0 && v.w0 < 1e12)) v.w0 = 0;
      if (e.kind != Kind::kPath || !(v.w1 > 0 && v.w1 < 1e12)) v.w1 = 0;
    }
  }

  void Polyface(const std::vector<Vertex>& points, const std::vector<std::vector<int>>& faces) {
    for (const std::vector<int>& f : faces) {
      std::vector<int> idx;
      for (int i : f)
        if (i != 0) idx.push_back(i);
      for (size_t k = 0; k < idx.size(); ++k) {
        if (idx[k] < 0) continue;  // this edge is hidden
        const int from = std::abs(idx[k]) - 1, to = std::abs(idx[(k + 1) % idx.size()]) - 1;
        if (from >= static_cast<int>(points.size()) || to >= static_cast<int>(points.size()))
          continue;
        const Vertex& p = points[static_cast<size_t>(from)];
        const Vertex& q = points[static_cast<size_t>(to)];
        Add(Kind::kPath).points = {{p.x, p.y, 0}, {q.x, q.y, 0}};
      }
    }
  }

  void Mesh(const std::vector<Vertex>& points, int m, int n, int flags) {
    if (m <= 0 || n <= 0 || static_cast<size_t>(m) * static_cast<size_t>(n) > points.size()) return;
    auto at = [&](int i, int j) {
      const Vertex& v =
          points[static_cast<size_t>(i) * static_cast<size_t>(n) + static_cast<size_t>(j)];
      return Vertex{v.x, v.y, 0};
    };
    for (int i = 0; i < m; ++i) {
      Entity& e = Add(Kind::kPath);
      e.closed = flags & 32;
      for (int j = 0; j < n; ++j) e.points.push_back(at(i, j));
    }
    for (int j = 0; j < n; ++j) {
      Entity& e = Add(Kind::kPath);
      e.closed = flags & 1;
      for (int i = 0; i < m; ++i) e.points.push_back(at(i, j));
    }
  }

  void SplineEntity() {
    Spline s;
    s.degree = g_.Int(71, 3);
    s.closed = g_.Int(70) & 1;
    for (const Group& x : o_.groups) {
      const double v = Number(x.value);
      if (x.code == 40 && s.knots.size() < kMaxItems) s.knots.push_back(v);
      if (x.code == 41) s.weights.push_back(v);
      if (x.code == 10 && s.control.size() < kMaxItems) s.control.push_back({v, 0, 0});
      if (x.code == 20 && !s.control.empty()) s.control.back().y = v;
      if (x.code == 11 && s.fit.size() < kMaxItems) s.fit.push_back({v, 0, 0});
      if (x.code == 21 && !s.fit.empty()) s.fit.back().y = v;
    }
    Entity& e = Add(Kind::kPath);
    e.points = FlattenSpline(s);
    e.closed = s.closed && s.control.empty();
  }

  void Face() {
    const int hidden = g_.Int(70);
    Vertex p[4];
    for (int i = 0; i < 4; ++i) p[i] = {g_.Num(10 + i), g_.Num(20 + i), 0};
    // CAD programs draw a face's visible edges; bit i of group 70 hides edge i.
    for (int i = 0; i < 4; ++i) {
      const Vertex& a = p[i];
      const Vertex& b = p[(i + 1) % 4];
      if ((hidden & (1 << i)) || (a.x == b.x && a.y == b.y)) continue;
      Add(Kind::kPath).points = {a, b};
    }
  }

  void TextEntity() {
    const bool definition = o_.type == "ATTDEF";
    if (!definition && o_.type != "TEXT" && (g_.Int(70) & 1)) return;  // invisible
    Entity& e = Add(Kind::kText);
    e.ocs = g_.Ocs(g_.Num(30));
    Text& t = e.text;
    t.string = definition ? g_.Str(2) : g_.Str(1);
    t.style = Upper(Trim(g_.Str(7)));
    t.height = g_.Num(40, 1);
    t.rotation = g_.Num(50);
    t.widthFactor = g_.Num(41, 1);
    t.oblique = g_.Num(51);
    const int generation = g_.Int(71);
    t.backward = generation & 2;
    t.upsideDown = generation & 4;
    t.align = g_.Int(72);
    t.valign = g_.Int(o_.type == "TEXT" ? 73 : 74);
    // Justified texts hang from their alignment point, kept as the second point.
    e.points = {{g_.Num(10), g_.Num(20), 0},
                {g_.Has(11) ? g_.Num(11) : g_.Num(10), g_.Has(21) ? g_.Num(21) : g_.Num(20), 0}};
    t.aligned = t.align != 0 || t.valign != 0;
  }

  void MText() {
    Entity& e = Add(Kind::kText);
    Text& t = e.text;
    t.mtext = true;
    // The text comes in chunks: groups 3, then the last in group 1.
    for (const Group& x : o_.groups)
      if (x.code == 3 && t.string.size() < kMaxItems) t.string += x.value;
    t.string += g_.Str(1);
    t.style = Upper(Trim(g_.Str(7)));
    t.height = g_.Num(40, 1);
    t.boxWidth = g_.Num(41);
    t.align = std::clamp(g_.Int(71, 1), 1, 9);
    t.lineSpacing = g_.Num(44, 1);
    if (!(t.lineSpacing > 0.1 && t.lineSpacing < 10)) t.lineSpacing = 1;
    // Its point and direction are in world coordinates; without a direction (nor one in its
    // embedded object) it turns by its rotation from the world X axis, or in a tilted plane from
    // the plane's x axis. Its lines run along the direction and stack along the extrusion
    // crossed with it: a negative extrusion turns the text upside down.
    double n[3] = {g_.Num(210, 0), g_.Num(220, 0), g_.Num(230, 1)};
    const double nl = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(nl > 0) || !std::isfinite(nl))
      n[0] = n[1] = 0, n[2] = 1;
    else
      n[0] /= nl, n[1] /= nl, n[2] /= nl;
    double d[3] = {g_.Num(11), g_.Num(21), g_.Num(31)};
    const bool level = std::abs(n[0]) < 1.0 / 64 && std::abs(n[1]) < 1.0 / 64;
    const double r = g_.Num(50) * M_PI / 180;
    if (!g_.Has(11) && !g_.Has(21)) {
      const Groups embedded(o_.embedded);
      if (embedded.Has(10) || embedded.Has(20)) {
        d[0] = embedded.Num(10), d[1] = embedded.Num(20), d[2] = embedded.Num(30);
      } else if (level) {
        d[0] = std::cos(r), d[1] = std::sin(r), d[2] = 0;
      } else {
        const Plane p = OcsPlane(n[0], n[1], n[2], 0);
        // The plane's x and y axes in world coordinates, z included.
        const double ax[3] = {p.a, p.c, 0}, ay[3] = {p.b, p.d, 0};
        double axz = 0, ayz = 0;
        OcsZ(n, &axz, &ayz);
        d[0] = ax[0] * std::cos(r) + ay[0] * std::sin(r);
        d[1] = ax[1] * std::cos(r) + ay[1] * std::sin(r);
        d[2] = axz * std::cos(r) + ayz * std::sin(r);
      }
    }
    const double dl = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (!(dl > 0) || !std::isfinite(dl))
      d[0] = 1, d[1] = d[2] = 0;
    else
      d[0] /= dl, d[1] /= dl, d[2] /= dl;
    const double up[2] = {n[1] * d[2] - n[2] * d[1], n[2] * d[0] - n[0] * d[2]};
    const double x = g_.Num(10), y = g_.Num(20);
    // Kept at its point: (x, y) maps to itself, the rest turns about it.
    e.ocs = {d[0], up[0], d[1], up[1], x - d[0] * x - up[0] * y, y - d[1] * x - up[1] * y};
    t.rotation = 0;
    e.points = {{x, y, 0}};
    Columns(t);
  }

  // The columns an MTEXT's embedded object describes (71 type, 72 count, 44 width, 45 gutter,
  // 41 height, 46 each column's height).
  void Columns(Text& t) const {
    double definedHeight = 0;
    int type = 0;
    for (const Group& x : o_.embedded) {
      const double v = Number(x.value);
      if (x.code == 71) type = static_cast<int>(v);
      if (x.code == 72) t.columns = static_cast<int>(std::clamp(v, 0.0, 100.0));
      if (x.code == 44) t.columnWidth = v;
      if (x.code == 45) t.gutter = v;
      if (x.code == 41) definedHeight = v;
      if (x.code == 46 && t.columnHeights.size() < 100) t.columnHeights.push_back(v);
    }
    if (type == 0 || !(t.columnWidth > 0)) {
      t.columns = 0;
      return;
    }
    t.columns = std::max(t.columns, 1);  // dynamic columns flow on as far as the text goes
    if (t.columnHeights.empty() && definedHeight > 0) t.columnHeights.push_back(definedHeight);
  }

  // The z components of the x and y axes of the plane of normal n.
  static void OcsZ(const double n[3], double* axz, double* ayz) {
    double ax[3];
    if (std::abs(n[0]) < 1.0 / 64 && std::abs(n[1]) < 1.0 / 64)
      ax[0] = n[2], ax[1] = 0, ax[2] = -n[0];
    else
      ax[0] = -n[1], ax[1] = n[0], ax[2] = 0;
    const double l = std::sqrt(ax[0] * ax[0] + ax[1] * ax[1] + ax[2] * ax[2]);
    for (double& v : ax) v /= l;
    *axz = ax[2];
    *ayz = n[0] * ax[1] - n[1] * ax[0];
  }

  // A WIPEOUT's clip boundary (14, 24: a rectangle by two corners or a polygon) is in image
  // pixels, y down from the image's top, centres on whole numbers; the image spans the size
  // (13, 23) in pixels of the u (11) and v (12) vectors from the insertion point (10).
  void Wipeout() {
    const double ox = g_.Num(10), oy = g_.Num(20);
    const double ux = g_.Num(11), uy = g_.Num(21), vx = g_.Num(12), vy = g_.Num(22);
    const double height = g_.Num(23);
    std::vector<Vertex> clip;
    for (const Group& x : o_.groups) {
      if (x.code == 14 && clip.size() < kMaxItems) clip.push_back({Number(x.value), 0, 0});
      if (x.code == 24 && !clip.empty()) clip.back().y = Number(x.value);
    }
    if (clip.size() < 2) clip = {{-0.5, -0.5, 0}, {g_.Num(13) - 0.5, height - 0.5, 0}};
    if (clip.size() == 2) {
      const Vertex a = clip[0], b = clip[1];
      clip = {a, {b.x, a.y, 0}, b, {a.x, b.y, 0}};
    }
    Entity& e = Add(Kind::kWipeout);
    e.closed = true;
    for (const Vertex& p : clip) {
      const double u = p.x + 0.5, v = height - p.y - 0.5;
      Corner(e, ox + ux * u + vx * v, oy + uy * u + vy * v);
    }
    if (e.points.size() > 1 && e.points[0].x == e.points.back().x &&
        e.points[0].y == e.points.back().y)
      e.points.pop_back();
  }

  // A LEADER's line through its vertices, and with its arrowhead flag (71) a closed filled
  // arrow at the first one: as long as $DIMASZ by $DIMSCALE, a third of that wide, pointing
  // along the first segment, which must be longer than the arrow.
  void Leader() {
    Entity& e = Add(Kind::kPath);  // in world coordinates
    for (const Group& x : o_.groups) {
      if (x.code == 10 && e.points.size() < kMaxItems) e.points.push_back({Number(x.value), 0, 0});
      if (x.code == 20 && !e.points.empty()) e.points.back().y = Number(x.value);
    }
    if (g_.Int(71, 1) != 1 || e.points.size() < 2) return;
    const Vertex tip = e.points[0], next = e.points[1];
    const double size = c_.arrowSize * c_.dimensionScale;
    const double length = std::hypot(next.x - tip.x, next.y - tip.y);
    if (!(size > 0) || !(length > size) || !std::isfinite(length)) return;
    const double ux = (next.x - tip.x) / length, uy = (next.y - tip.y) / length;
    const double bx = tip.x + ux * size, by = tip.y + uy * size, half = size / 6;
    Add(Kind::kFill).points = {
        tip, {bx - uy * half, by + ux * half, 0}, {bx + uy * half, by - ux * half, 0}};
  }

  void Insert() {
    Entity& e = Add(Kind::kInsert);
    e.block = Upper(Trim(g_.Str(2)));
    e.ocs = g_.Ocs(g_.Num(30));
    e.points = {{g_.Num(10), g_.Num(20), 0}};
    e.sx = g_.Num(41, 1);
    e.sy = g_.Num(42, 1);
    e.rotation = g_.Num(50);
    e.cols = std::max(1, g_.Int(70, 1));
    e.rows = std::max(1, g_.Int(71, 1));
    e.colSpacing = g_.Num(44);
    e.rowSpacing = g_.Num(45);
  }

  // Dimensions and tables keep their picture in an anonymous block.
  // A linear or aligned dimension drawn from its points, for when its block is missing:
  // extension lines from the measured points (13, 14) to the dimension line through 10, and
  // the measurement (or its text, 1) at 11.
  void LinearDimension(const std::string& block) {
    const int type = g_.Int(70) & 7;
    if (type != 0 && type != 1) {
      if (block.empty()) Skip("DIMENSION without its block");
      return;
    }
    const double x1 = g_.Num(13), y1 = g_.Num(23), x2 = g_.Num(14), y2 = g_.Num(24);
    const double dx = g_.Num(10), dy = g_.Num(20);
    double ux = x2 - x1, uy = y2 - y1;
    if (type == 0) {
      const double r = g_.Num(50) * M_PI / 180;
      ux = std::cos(r), uy = std::sin(r);
    }
    const double ul = std::hypot(ux, uy);
    if (!(ul > 0)) return;
    ux /= ul, uy /= ul;
    // The measured points projected onto the dimension line.
    auto onLine = [&](double x, double y) {
      const double t = (x - dx) * ux + (y - dy) * uy;
      return Vertex{dx + t * ux, dy + t * uy, 0};
    };
    const Vertex a = onLine(x1, y1), b = onLine(x2, y2);
    const std::vector<std::vector<Vertex>> lines = {{{x1, y1, 0}, a}, {{x2, y2, 0}, b}, {a, b}};
    for (const std::vector<Vertex>& l : lines) {
      Entity& e = Add(Kind::kPath);
      e.points = l;
      e.unlessBlock = block;
    }
    std::string text = g_.Str(1);
    char measured[32];
    std::snprintf(measured, sizeof measured, "%.4g", std::hypot(b.x - a.x, b.y - a.y));
    if (text.empty() || text == "<>")
      text = measured;
    else if (text.find("<>") != std::string::npos)
      text.replace(text.find("<>"), 2, measured);
    if (text == " ") return;  // suppressed
    Entity& e = Add(Kind::kText);
    e.unlessBlock = block;
    e.text.mtext = true;
    e.text.string = text;
    e.text.align = 5;  // middle centre
    e.text.height = c_.dimensionTextHeight;
    e.text.rotation = std::atan2(uy, ux) * 180 / M_PI;
    if (e.text.rotation > 90.5 || e.text.rotation < -89.5) e.text.rotation -= 180;
    e.points = {
        {g_.Has(11) ? g_.Num(11) : (a.x + b.x) / 2, g_.Has(21) ? g_.Num(21) : (a.y + b.y) / 2, 0}};
  }

  Entity& BlockAtOrigin(const std::string& kind, const std::string& block) {
    if (Trim(block).empty()) {
      Skip(kind);
      static Entity none;
      none = {};
      return none;
    }
    Entity& e = Add(Kind::kInsert);
    e.block = Upper(Trim(block));
    e.points = {{0, 0, 0}};
    return e;
  }

  void Hatch() {
    const bool solid = g_.Int(70) & 1;
    Entity& e = Add(Kind::kHatch);
    e.filled = solid;
    e.ocs = g_.Ocs(g_.Num(30));
    g_.SkipTo({91});
    const double loops = g_.Take(91);
    for (size_t i = 0; i < kMaxItems && i < loops && !g_.Done(); ++i) {
      g_.SkipTo({92, 75});
      if (g_.Code() != 92) break;
      const int flags = static_cast<int>(g_.Take(92));
      std::vector<Vertex> loop = (flags & 2) ? PolylineLoop() : EdgeLoop();
      if (loop.size() >= 2) e.loops.push_back(std::move(loop));
    }
    // A pattern's lines, already turned and scaled by the hatch's angle and scale.
    g_.SkipTo({75});
    while (!solid && !g_.Done() && e.pattern.size() < 1000) {
      const int code = g_.Code();
      const double v = g_.Take(code);
      if (code == 53) e.pattern.push_back({v * M_PI / 180, 0, 0, 0, 0, {}});
      if (e.pattern.empty()) continue;
      PatternLine& l = e.pattern.back();
      if (code == 43) l.x = v;
      if (code == 44) l.y = v;
      if (code == 45) l.dx = v;
      if (code == 46) l.dy = v;
      if (code == 49 && l.dashes.size() < 64) l.dashes.push_back(v);
    }
    if (e.loops.empty() || (!solid && e.pattern.empty())) out_.pop_back();
  }

  std::vector<Vertex> PolylineLoop() {
    std::vector<Vertex> loop;
    g_.Take(72), g_.Take(73), g_.Take(93);
    while (!g_.Done() && loop.size() < kMaxItems) {
      const int code = g_.Code();
      if (code == 10)
        loop.push_back({g_.Take(10), 0, 0});
      else if (code == 20 && !loop.empty())
        loop.back().y = g_.Take(20);
      else if (code == 42 && !loop.empty())
        loop.back().bulge = g_.Take(42);
      else
        break;
    }
    return loop;
  }

  std::vector<Vertex> EdgeLoop() {
    std::vector<Vertex> loop;
    const double edges = g_.Take(93);
    for (size_t i = 0; i < edges && i < kMaxItems && g_.Code() == 72; ++i) {
      const int type = static_cast<int>(g_.Take(72));
      if (type == 1) {
        const double x0 = g_.Take(10), y0 = g_.Take(20), x1 = g_.Take(11), y1 = g_.Take(21);
        Append(loop, {x0, y0, 0});
        Append(loop, {x1, y1, 0});
      } else if (type == 2 || type == 3) {
        const double cx = g_.Take(10), cy = g_.Take(20);
        double mx = 0, my = 0;
        if (type == 3) mx = g_.Take(11), my = g_.Take(21);
        const double r = g_.Take(40);
        const double a0 = g_.Take(50), a1 = g_.Take(51);
        const bool ccw = g_.Take(73, 1) != 0;
        if (type == 2) mx = r, my = 0;
        const double ratio = type == 3 ? r : 1;
        EdgeArc(loop, cx, cy, mx, my, ratio, a0, a1, ccw);
      } else if (type == 4) {
        for (Vertex& v : SplineEdge()) Append(loop, v);
      }
      g_.SkipTo({72, 92, 75, 97});
      if (g_.Code() == 97) break;
    }
    return loop;
  }

  static void Append(std::vector<Vertex>& loop, const Vertex& v) {
    if (!loop.empty() && loop.back().x == v.x && loop.back().y == v.y) return;
    loop.push_back(v);
  }

  // A boundary arc, its angles in degrees on the ellipse of axes (mx, my) and ratio times its
  // perpendicular. A clockwise arc is stored as its mirror image across the major axis.
  static void EdgeArc(std::vector<Vertex>& loop, double cx, double cy, double mx, double my,
                      double ratio, double a0, double a1, bool ccw) {
    const double sweep = Sweep(a0, a1, 360) * M_PI / 180;
    const double start = a0 * M_PI / 180;
    const double step = 2 * M_PI / 128;
    const int n = std::clamp(static_cast<int>(std::ceil(sweep / step)), 1, 128);
    for (int k = 0; k <= n; ++k) {
      double t = start + sweep * k / n;
      if (!ccw) t = -t;
      const double u = std::cos(t), v = ratio * std::sin(t);
      Append(loop, {cx + u * mx - v * my, cy + u * my + v * mx, 0});
    }
  }

  std::vector<Vertex> SplineEdge() {
    Spline s;
    s.degree = static_cast<int>(g_.Take(94, 3));
    const bool rational = g_.Take(73) != 0;
    g_.Take(74);
    const double nk = g_.Take(95), nc = g_.Take(96);
    for (size_t i = 0; i < nk && i < kMaxItems && g_.Code() == 40; ++i)
      s.knots.push_back(g_.Take(40));
    for (size_t i = 0; i < nc && i < kMaxItems && g_.Code() == 10; ++i) {
      const double x = g_.Take(10), y = g_.Take(20);
      s.control.push_back({x, y, 0});
      if (rational && g_.Code() == 42) s.weights.push_back(g_.Take(42));
    }
    // Fit data (R2010 on): a count, the points and the end tangents.
    const size_t mark = g_.At();
    if (g_.Code() == 97) {
      const double nf = g_.Take(97);
      if (g_.Code() != 11 && g_.Code() != 12 && nf > 0) g_.Seek(mark);  // a loop's count
      for (size_t i = 0; i < nf && i < kMaxItems && g_.Code() == 11; ++i) {
        const double x = g_.Take(11), y = g_.Take(21);
        s.fit.push_back({x, y, 0});
      }
    }
    return FlattenSpline(s);
  }

  const RawObject& o_;
  Groups g_;
  const EntityContext& c_;
  std::vector<Entity>& out_;
};

}  // namespace

Plane OcsPlane(double nx, double ny, double nz, double elevation) {
  const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (!(len > 0) || !std::isfinite(len)) return {};
  nx /= len, ny /= len, nz /= len;
  // The arbitrary axis algorithm: the plane's x axis is world Y or Z crossed with the normal.
  double ax, ay, az;
  if (std::abs(nx) < 1.0 / 64 && std::abs(ny) < 1.0 / 64) {
    ax = nz, ay = 0, az = -nx;  // (0, 1, 0) x N
  } else {
    ax = -ny, ay = nx, az = 0;  // (0, 0, 1) x N
  }
  const double al = std::sqrt(ax * ax + ay * ay + az * az);
  ax /= al, ay /= al, az /= al;
  const double bx = ny * az - nz * ay, by = nz * ax - nx * az;  // N x Ax
  return {ax, bx, ay, by, nx * elevation, ny * elevation};
}

void ReadEntity(const RawObject& object, const std::vector<RawObject>& vertices,
                const EntityContext& context, std::vector<Entity>& out) {
  Reader(object, context, out).Read(vertices);
}

}  // namespace lanterna::dxfin
