#include "dxfin/dxf_drawing.h"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>

#include "render/dxf_writer.h"

namespace lanterna::dxfin {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// How far an arc runs counterclockwise from start to end, within (0, turn]. A remainder, not a
// loop adding turns: that never ends on an angle so far off that a turn does not change it.
double Sweep(double start, double end, double turn) {
  double sweep = std::fmod(end - start, turn);
  if (sweep <= 0) sweep += turn;
  return sweep;
}

// Collects the drawing as dxflib reports it, entity by entity.
class Collector : public DL_CreationAdapter {
 public:
  explicit Collector(Drawing& d) : d_(d) {}

  void addLayer(const DL_LayerData& data) override {
    const int colour = attributes.getColor();
    // A negative colour number is how DXF says the layer is off.
    Layer& layer = d_.layers[Upper(data.name)];
    layer.colour = std::abs(colour) % 256 == 0 ? 7 : std::abs(colour);
    layer.shown = !data.off && colour >= 0 && !(data.flags & 1);
  }

  void addBlock(const DL_BlockData& data) override {
    const std::string name = Upper(data.name);
    Block& b = d_.blocks[name];
    b.baseX = data.bpx;
    b.baseY = data.bpy;
    block_ = &b;
  }
  void endBlock() override { block_ = nullptr; }

  void addPoint(const DL_PointData& data) override {
    Entity& e = Add(Kind::kPoint);
    e.points = {{data.x, data.y, 0}};
  }
  void addLine(const DL_LineData& data) override {
    Entity& e = Add(Kind::kPath);
    e.points = {{data.x1, data.y1, 0}, {data.x2, data.y2, 0}};
  }
  void addArc(const DL_ArcData& data) override {
    const double sweep = Sweep(data.angle1, data.angle2, 360.0);
    Ellipse(data.cx, data.cy, data.radius, 0, 1, data.angle1 * M_PI / 180,
            (data.angle1 + sweep) * M_PI / 180);
  }
  void addCircle(const DL_CircleData& data) override {
    Ellipse(data.cx, data.cy, data.radius, 0, 1, 0, 2 * M_PI);
  }
  void addEllipse(const DL_EllipseData& data) override {
    Ellipse(data.cx, data.cy, data.mx, data.my, data.ratio, data.angle1,
            data.angle1 + Sweep(data.angle1, data.angle2, 2 * M_PI));
  }

  void addPolyline(const DL_PolylineData& data) override {
    // Meshes (16) and polyface meshes (64) are surfaces, not outlines.
    if (data.flags & (16 | 64)) {
      Skip("POLYLINE mesh");
      vertices_ = nullptr;
      return;
    }
    const bool fill = d_.closedPolylinesAreFills && (data.flags & 1);
    Entity& e = Add(fill ? Kind::kFill : Kind::kPath);
    e.closed = data.flags & 1;
    vertices_ = &e.points;
  }
  void addVertex(const DL_VertexData& data) override {
    if (vertices_) vertices_->push_back({data.x, data.y, data.bulge});
  }
  void endSequence() override { vertices_ = nullptr; }

  void addSpline(const DL_SplineData& data) override {
    Add(Kind::kPath);
    spline_ = {};
    spline_.degree = static_cast<int>(data.degree);
    spline_.closed = data.flags & 1;
    splineOwner_ = block_;
    splineIndex_ = Entities().size() - 1;
    if (attributes.isInPaperSpace()) splineIndex_ = static_cast<size_t>(-1);
  }
  void addKnot(const DL_KnotData& data) override { spline_.knots.push_back(data.k); }
  void addControlPoint(const DL_ControlPointData& data) override {
    spline_.control.push_back({data.x, data.y, data.w > 0 ? data.w : 1});
  }
  void addFitPoint(const DL_FitPointData& data) override {
    spline_.fit.push_back({data.x, data.y, 1});
  }

  // The spline's points have all come once its entity ends.
  void endEntity() override { Finish(); }
  void Finish() {
    FlattenSpline();
    splineIndex_ = static_cast<size_t>(-1);
  }

  // dxflib passes entities it does not know as group pairs only. A table (ACAD_TABLE) keeps its
  // picture in an anonymous block (group 2), drawn where the table stands (10, 20).
  void processCodeValuePair(unsigned int code, const std::string& value) override {
    if (code == 0) {
      EndTable();
      inTable_ = value == "ACAD_TABLE";
      if (inTable_) {
        table_ = Entity();
        table_.kind = Kind::kInsert;
        table_.layer = "0";
        table_.points = {{0, 0, 0}};
        tablePaper_ = false;
      }
      return;
    }
    if (!inTable_) return;
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    const bool isNumber = end != value.c_str();
    if (code == 2 && table_.block.empty()) table_.block = Upper(value);
    if (code == 8) table_.layer = Upper(value);
    if (code == 62 && isNumber) table_.colour = static_cast<int>(number);
    if (code == 67 && isNumber) tablePaper_ = number != 0;
    if (code == 10 && isNumber && !tableX_) table_.points[0].x = number, tableX_ = true;
    if (code == 20 && isNumber && !tableY_) table_.points[0].y = number, tableY_ = true;
  }
  void EndTable() {
    if (inTable_ && !table_.block.empty() && !tablePaper_) {
      if (table_.colour < 0 || table_.colour > 256) table_.colour = 256;
      Finish();  // what came before is complete: the list may grow under it
      vertices_ = nullptr;
      Entities().push_back(table_);
    }
    inTable_ = tableX_ = tableY_ = false;
  }

  void addInsert(const DL_InsertData& data) override {
    Entity& e = Add(Kind::kInsert);
    e.block = Upper(data.name);
    e.points = {{data.ipx, data.ipy, 0}};
    e.sx = data.sx;
    e.sy = data.sy;
    e.rotation = data.angle;
    e.cols = std::max(1, data.cols);
    e.rows = std::max(1, data.rows);
    e.colSpacing = data.colSp;
    e.rowSpacing = data.rowSp;
  }

  // SOLID and TRACE list their corners as 1 2 4 3 around the outline; 3DFACE goes round.
  void addTrace(const DL_TraceData& data) override { Quad(data, true); }
  void addSolid(const DL_SolidData& data) override { Quad(data, true); }
  void add3dFace(const DL_3dFaceData& data) override { Quad(data, false); }

  void addText(const DL_TextData& data) override {
    const double width = 0.6 * data.height * std::max(data.xScaleFactor, 0.01) *
                         static_cast<double>(data.text.size());
    // Justified texts hang from their alignment point.
    double x = data.ipx, y = data.ipy;
    double dx = 0, dy = 0;
    if (data.hJustification != 0 || data.vJustification != 0) {
      x = data.apx;
      y = data.apy;
      const int h = data.hJustification;
      dx = h == 1 || h == 4 ? -width / 2 : h == 2 ? -width : 0;
      dy = data.vJustification == 2   ? -data.height / 2
           : data.vJustification == 3 ? -data.height
                                      : 0;
    }
    TextBox(x, y, dx, dy, width, data.height, data.angle);
  }
  void addMText(const DL_MTextData& data) override {
    int lines = 1;
    for (size_t at = 0; (at = data.text.find("\\P", at)) != std::string::npos; at += 2) ++lines;
    const double height = data.height * (1 + 1.667 * (lines - 1));
    double width = data.width;
    if (width <= 0) width = 0.6 * data.height * static_cast<double>(data.text.size()) / lines;
    const int a = std::clamp(data.attachmentPoint, 1, 9) - 1;  // 1 top left ... 9 bottom right
    const double dx = -width * (a % 3) / 2, dy = -height + height * (a / 3) / 2;
    const double angle =
        data.dirx != 0 || data.diry != 0 ? std::atan2(data.diry, data.dirx) : data.angle;
    TextBox(data.ipx, data.ipy, dx, dy, width, height, angle);
  }

  void addHatch(const DL_HatchData& data) override {
    hatchSolid_ = data.solid;
    if (!hatchSolid_) Skip("HATCH pattern");
    loop_ = nullptr;
  }
  void addHatchLoop(const DL_HatchLoopData&) override {
    loop_ = hatchSolid_ ? &Add(Kind::kFill).points : nullptr;
  }
  void addHatchEdge(const DL_HatchEdgeData& data) override {
    if (!loop_) return;
    if (!data.vertices.empty()) {
      for (const std::vector<double>& v : data.vertices)
        if (v.size() >= 2) loop_->push_back({v[0], v[1], v.size() > 2 ? v[2] : 0});
    } else if (data.type == 1) {
      loop_->push_back({data.x1, data.y1, 0});
    } else if (data.type == 2 || data.type == 3) {
      // Arcs and elliptic arcs of the boundary, flattened here in 32 steps.
      const bool elliptic = data.type == 3;
      const double rx = elliptic ? std::hypot(data.mx, data.my) : data.radius;
      const double rot = elliptic ? std::atan2(data.my, data.mx) : 0;
      const double ry = elliptic ? rx * data.ratio : rx;
      double a0 = data.angle1, a1 = data.angle2;
      if (!data.ccw) {
        a0 = -a0;
        a1 = -a1;
      }
      a1 = a0 + Sweep(a0, a1, 2 * M_PI);
      for (int i = 0; i < 32; ++i) {
        double t = a0 + (a1 - a0) * i / 32;
        if (!data.ccw) t = -t;
        const double px = rx * std::cos(t), py = ry * std::sin(t);
        loop_->push_back({data.cx + px * std::cos(rot) - py * std::sin(rot),
                          data.cy + px * std::sin(rot) + py * std::cos(rot), 0});
      }
    }
  }

  void addDimAlign(const DL_DimensionData&, const DL_DimAlignedData&) override {
    Skip("DIMENSION");
  }
  void addDimLinear(const DL_DimensionData&, const DL_DimLinearData&) override {
    Skip("DIMENSION");
  }
  void addDimRadial(const DL_DimensionData&, const DL_DimRadialData&) override {
    Skip("DIMENSION");
  }
  void addDimDiametric(const DL_DimensionData&, const DL_DimDiametricData&) override {
    Skip("DIMENSION");
  }
  void addDimAngular(const DL_DimensionData&, const DL_DimAngular2LData&) override {
    Skip("DIMENSION");
  }
  void addDimAngular3P(const DL_DimensionData&, const DL_DimAngular3PData&) override {
    Skip("DIMENSION");
  }
  void addDimOrdinate(const DL_DimensionData&, const DL_DimOrdinateData&) override {
    Skip("DIMENSION");
  }
  void addLeader(const DL_LeaderData&) override { Skip("LEADER"); }
  void addImage(const DL_ImageData&) override { Skip("IMAGE"); }
  void addXLine(const DL_XLineData&) override { Skip("XLINE"); }
  void addRay(const DL_RayData&) override { Skip("RAY"); }

  void addComment(const std::string& comment) override { Comment(comment); }
  void setVariableVector(const std::string& key, double x, double y, double, int) override {
    Variable(key, x, y);
  }

 private:
  struct Weighted {
    double x, y, w;
  };
  struct Spline {
    int degree = 3;
    bool closed = false;
    std::vector<double> knots;
    std::vector<Weighted> control, fit;
  };

  std::vector<Entity>& Entities() { return block_ ? block_->entities : d_.model; }

  Entity& Add(Kind kind) {
    Finish();
    vertices_ = nullptr;
    std::vector<Entity>& list = Entities();
    list.emplace_back();
    Entity& e = list.back();
    e.kind = kind;
    e.layer = Upper(attributes.getLayer());
    e.colour = attributes.getColor();
    if (e.colour < 0 || e.colour > 256) e.colour = 256;
    // Paper space is a sheet layout, not the drawing: such entities are dropped at once.
    if (attributes.isInPaperSpace()) {
      list.pop_back();
      scratch_ = {};
      return scratch_;
    }
    return e;
  }

  void Skip(const std::string& kind) { ++d_.skipped[kind]; }

  void Ellipse(double cx, double cy, double ax, double ay, double ratio, double t0, double t1) {
    Entity& e = Add(Kind::kEllipse);
    e.points = {{cx, cy, 0}};
    e.ax = ax;
    e.ay = ay;
    e.ratio = ratio;
    e.t0 = t0;
    e.t1 = t1;
  }

  template <typename Data>
  void Quad(const Data& data, bool crossed) {
    Entity& e = Add(Kind::kFill);
    const int order[2][4] = {{0, 1, 2, 3}, {0, 1, 3, 2}};
    for (int i : order[crossed]) {
      const Vertex v{data.x[i], data.y[i], 0};
      if (e.points.empty() || v.x != e.points.back().x || v.y != e.points.back().y)
        e.points.push_back(v);
    }
  }

  // A text's box: width by height from (x, y) shifted by (dx, dy), turned by angle (radians).
  void TextBox(double x, double y, double dx, double dy, double w, double h, double angle) {
    Entity& e = Add(Kind::kPath);
    e.text = true;
    e.closed = true;
    const double c = std::cos(angle), s = std::sin(angle);
    const double corners[4][2] = {{dx, dy}, {dx + w, dy}, {dx + w, dy + h}, {dx, dy + h}};
    for (const auto& p : corners)
      e.points.push_back({x + p[0] * c - p[1] * s, y + p[0] * s + p[1] * c, 0});
  }

  // The pending spline's path: the B-spline sampled 16 times per control point, else its
  // fit points or its control points joined.
  void FlattenSpline() {
    std::vector<Entity>& list = splineOwner_ ? splineOwner_->entities : d_.model;
    if (splineIndex_ >= list.size()) return;
    std::vector<Vertex>& out = list[splineIndex_].points;
    out.clear();
    const Spline& s = spline_;
    const size_t n = s.control.size();
    const int p = s.degree;
    if (n > static_cast<size_t>(p) && p >= 1 && s.knots.size() == n + static_cast<size_t>(p) + 1 &&
        s.knots[n] > s.knots[static_cast<size_t>(p)]) {
      const double lo = s.knots[static_cast<size_t>(p)], hi = s.knots[n];
      const int steps = static_cast<int>(16 * n);
      for (int i = 0; i <= steps; ++i) out.push_back(DeBoor(lo + (hi - lo) * i / steps));
    } else {
      for (const Weighted& w : (s.fit.size() >= 2 ? s.fit : s.control))
        out.push_back({w.x, w.y, 0});
    }
    list[splineIndex_].closed = s.closed;
  }

  // The rational B-spline at parameter t.
  Vertex DeBoor(double t) const {
    const Spline& s = spline_;
    const int p = s.degree;
    const size_t n = s.control.size();
    size_t k = static_cast<size_t>(p);
    while (k + 1 < n && t >= s.knots[k + 1]) ++k;
    std::vector<Weighted> d;
    for (int j = 0; j <= p; ++j) {
      const Weighted& c = s.control[k - static_cast<size_t>(p) + static_cast<size_t>(j)];
      d.push_back({c.x * c.w, c.y * c.w, c.w});
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

  void Comment(const std::string& text) {
    if (text == kDxfFillsComment) d_.closedPolylinesAreFills = true;
  }

  void Variable(const std::string& key, double x, double y) {
    if (key == "$EXTMIN") {
      d_.minX = x;
      d_.minY = y;
      min_ = true;
    } else if (key == "$EXTMAX") {
      d_.maxX = x;
      d_.maxY = y;
      max_ = true;
    }
    // An empty drawing's extents are written inverted (1e20 and -1e20).
    d_.hasExtents = min_ && max_ && d_.maxX > d_.minX && d_.maxY > d_.minY &&
                    d_.maxX - d_.minX < 1e15 && d_.maxY - d_.minY < 1e15;
  }

  Drawing& d_;
  Block* block_ = nullptr;
  std::vector<Vertex>* vertices_ = nullptr;
  std::vector<Vertex>* loop_ = nullptr;
  bool hatchSolid_ = false;
  Spline spline_;
  Block* splineOwner_ = nullptr;
  size_t splineIndex_ = static_cast<size_t>(-1);
  Entity scratch_;
  bool min_ = false, max_ = false;
  Entity table_;
  bool inTable_ = false, tableX_ = false, tableY_ = false, tablePaper_ = false;
};

}  // namespace

namespace {

std::string Trimmed(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

// dxflib makes room for as many vertices, knots or edges as an entity declares before it reads
// them: a count no file of this size could hold (each item takes at least four bytes of text)
// would ask for gigabytes. Such a drawing is refused before dxflib sees it.
bool DeclaresImpossibleCount(const std::string& path) {
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return false;
  std::ifstream in(path, std::ios::binary);
  std::string codeLine, value, entity;
  while (std::getline(in, codeLine) && std::getline(in, value)) {
    // Group codes read as dxflib reads them: the leading number, whatever follows it.
    const long code = std::strtol(codeLine.c_str(), nullptr, 10);
    value = Trimmed(value);
    // dxflib reads a broken group code leniently: an entity's name starts it wherever it
    // stands, so this does too.
    if (code == 0 || value == "LWPOLYLINE" || value == "SPLINE" || value == "LEADER" ||
        value == "HATCH") {
      entity = value;
      continue;
    }
    const bool count = (entity == "LWPOLYLINE" && code == 90) ||
                       (entity == "SPLINE" && (code == 72 || code == 73 || code == 74)) ||
                       (entity == "LEADER" && code == 76) ||
                       (entity == "HATCH" && (code == 91 || code == 93));
    if (!count) continue;
    const long long n = std::strtoll(value.c_str(), nullptr, 10);
    if (n < 0 || static_cast<uintmax_t>(n) > size / 4) return true;
  }
  return false;
}

}  // namespace

bool IsBinaryDxf(const std::string& path) {
  static const char kSignature[] = "AutoCAD Binary DXF\r\n\x1a";  // and its NUL
  char head[sizeof kSignature] = {};
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  const size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  return got == sizeof head && std::memcmp(head, kSignature, sizeof head) == 0;
}

bool ReadDrawing(const std::string& path, Drawing* drawing) {
  // dxflib reads anything it can open; only an existing regular file can be a drawing.
  std::FILE* probe = std::fopen(path.c_str(), "rb");
  if (!probe) return false;
  std::fclose(probe);
  if (DeclaresImpossibleCount(path)) return false;
  Collector collector(*drawing);
  DL_Dxf dxf;
  try {
    const bool read = dxf.in(path, &collector);
    collector.Finish();
    return read;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace lanterna::dxfin
