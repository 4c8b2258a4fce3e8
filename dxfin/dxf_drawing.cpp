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
#include <iterator>
#include <map>
#include <sstream>

#include "dxfin/dxf_binary.h"
#include "dxfin/dxf_entities.h"
#include "render/dxf_writer.h"

namespace lanterna::dxfin {

namespace {

std::string Trimmed(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Takes the layers, the header and comments from dxflib's callbacks, and every other object
// from the group pairs its parsing loop hands over first (dxf_entities.h says why).
class Collector : public DL_CreationAdapter {
 public:
  explicit Collector(Drawing& d) : d_(d) { context_.skipped = &d_.skipped; }

  void addLayer(const DL_LayerData& data) override {
    const int colour = attributes.getColor();
    // A negative colour number is how DXF says the layer is off.
    Layer& layer = d_.layers[Upper(data.name)];
    layer.colour = std::abs(colour) % 256 == 0 ? 7 : std::abs(colour);
    layer.shown = !data.off && colour >= 0 && !(data.flags & 1);
    layer.linetype = Upper(attributes.getLinetype());
  }
  void setVariableDouble(const std::string& key, double value, int) override {
    if (key == "$LTSCALE" && value > 1e-9 && value < 1e9) d_.linetypeScale = value;
    if (key == "$DIMTXT" && value > 1e-9 && value < 1e9) context_.dimensionTextHeight = value;
    if (key == "$DIMASZ" && value >= 0 && value < 1e9) context_.arrowSize = value;
    if (key == "$DIMSCALE" && value > 1e-9 && value < 1e9) context_.dimensionScale = value;
  }

  // Where a program keeps the wipeout frame setting in the header rather than in
  // WIPEOUTVARIABLES: 1 shown, 2 shown but not plotted.
  void setVariableInt(const std::string& key, int value, int) override {
    if (key == "$WIPEOUTFRAME") d_.wipeoutFrame = value != 0;
  }

  void addComment(const std::string& comment) override {
    if (comment == kDxfFillsComment) d_.closedPolylinesAreFills = true;
    context_.closedPolylinesAreFills = d_.closedPolylinesAreFills;
  }
  void setVariableVector(const std::string& key, double x, double y, double, int) override {
    Variable(key, x, y);
  }

  void processCodeValuePair(unsigned int code, const std::string& value) override {
    if (code == 0) {
      Finish();
      object_ = {};
      object_.type = Upper(Trimmed(value));
      tail_ = embedded_ = xdata_ = false;
      sortOwner_ = sortEntity_ = 0;
      return;
    }
    // An embedded object (101) and extended data (1000 on) follow the entity's own groups and
    // reuse their codes; application groups (102) are skipped.
    if (code >= 1000) tail_ = embedded_ = false, xdata_ = true;
    if (code == 101 && !xdata_) tail_ = embedded_ = true;
    if (embedded_ && code != 101 && object_.embedded.size() < 4096)
      object_.embedded.push_back({static_cast<int>(code), value});
    if (!xdata_ && !embedded_ && (code == 5 || code == 330)) {
      const unsigned long long n = std::strtoull(value.c_str(), nullptr, 16);
      if (code == 5 && object_.handle == 0) object_.handle = n;
      if (code == 330 && object_.owner == 0) object_.owner = n;
      // A SORTENTSTABLE: its block record (330), then entity (331) and sort handle (5) pairs.
      if (object_.type == "SORTENTSTABLE" && code == 330) sortOwner_ = n;
      if (object_.type == "SORTENTSTABLE" && code == 5 && sortEntity_ != 0 && sortOwner_ != 0 &&
          sortKeys_.size() < (1u << 22))
        sortKeys_[sortOwner_][sortEntity_] = n, sortEntity_ = 0;
      return;
    }
    if (object_.type == "SORTENTSTABLE" && code == 331)
      sortEntity_ = std::strtoull(value.c_str(), nullptr, 16);
    if (tail_ || xdata_ || code == 102) return;
    if (object_.groups.size() < (1u << 22))
      object_.groups.push_back({static_cast<int>(code), value});
  }

  // What is still open at the end of the file.
  void End() {
    Finish();
    object_ = {};
    EndPolyline();
    Order(d_.model);
    for (auto& [name, block] : d_.blocks) Order(block.entities);
  }

  // Entities in their owner's draw order, when a SORTENTSTABLE gives one: by sort handle, an
  // entity it leaves out by its own handle.
  void Order(std::vector<Entity>& entities) const {
    if (entities.empty()) return;
    const auto table = sortKeys_.find(entities[0].owner);
    if (table == sortKeys_.end()) return;
    for (const Entity& e : entities)
      if (e.handle == 0 || e.owner != entities[0].owner) return;
    auto key = [&](const Entity& e) {
      const auto found = table->second.find(e.handle);
      return found == table->second.end() ? e.handle : found->second;
    };
    std::stable_sort(entities.begin(), entities.end(),
                     [&](const Entity& a, const Entity& b) { return key(a) < key(b); });
  }

  void Finish() {
    const std::string& type = object_.type;
    if (type.empty()) return;
    if (type == "SECTION") {
      section_ = Upper(Trimmed(Value(2)));
      return;
    }
    if (type == "ENDSEC") {
      EndPolyline();
      section_.clear();
      block_ = nullptr;
      return;
    }
    if (section_ == "TABLES" && type == "LTYPE") {
      std::vector<double>& dashes = d_.linetypes[Upper(Trimmed(Value(2)))];
      for (const Group& g : object_.groups)
        if (g.code == 49 && dashes.size() < 64)
          dashes.push_back(std::strtod(g.value.c_str(), nullptr));
      return;
    }
    if (section_ == "OBJECTS" && type == "WIPEOUTVARIABLES") {
      d_.wipeoutFrame = std::strtol(Value(70).c_str(), nullptr, 10) != 0;
      return;
    }
    if (section_ == "TABLES" && type == "STYLE") {
      d_.styleFonts[Upper(Trimmed(Value(2)))] = Trimmed(Value(3));
      return;
    }
    if (section_ != "ENTITIES" && section_ != "BLOCKS") return;
    if (type == "BLOCK") {
      EndPolyline();
      Block& b = d_.blocks[Upper(Trimmed(Value(2)))];
      b.baseX = std::strtod(Value(10).c_str(), nullptr);
      b.baseY = std::strtod(Value(20).c_str(), nullptr);
      block_ = &b;
      return;
    }
    if (type == "ENDBLK") {
      EndPolyline();
      block_ = nullptr;
      return;
    }
    // A POLYLINE's vertices follow it as objects of their own, up to its SEQEND.
    if (type == "VERTEX" && polyline_) {
      if (vertices_.size() < (1u << 20)) vertices_.push_back(std::move(object_));
      return;
    }
    EndPolyline();
    if (type == "POLYLINE") {
      polyline_ = true;
      pending_ = std::move(object_);
      return;
    }
    context_.inBlock = block_ != nullptr;
    Read(object_, {});
  }

 private:
  std::vector<Entity>& Entities() { return block_ ? block_->entities : d_.model; }

  std::string Value(int code) const {
    for (const Group& g : object_.groups)
      if (g.code == code) return g.value;
    return "";
  }

  void EndPolyline() {
    if (!polyline_) return;
    polyline_ = false;
    context_.inBlock = block_ != nullptr;
    Read(pending_, vertices_);
    vertices_.clear();
  }

  void Read(const RawObject& object, const std::vector<RawObject>& vertices) {
    std::vector<Entity>& out = Entities();
    const size_t first = out.size();
    ReadEntity(object, vertices, context_, out);
    for (size_t i = first; i < out.size(); ++i)
      out[i].handle = object.handle, out[i].owner = object.owner;
    if (object.type == "ATTRIB" && array_ == &out) Repeat(first);
    if (object.type == "INSERT" && out.size() > first &&
        (out.back().cols > 1 || out.back().rows > 1))
      array_ = &out, arrayInsert_ = out.size() - 1, arrayCopies_ = 0;
    else if (object.type != "ATTRIB")
      array_ = nullptr;
  }

  // An array insert's attributes show in each of its copies: the ones read from first on are
  // repeated a column and a row spacing apart along the insert's turned axes.
  void Repeat(size_t first) {
    std::vector<Entity>& out = *array_;
    const Entity insert = out[arrayInsert_];
    const size_t last = out.size();
    const double r = insert.rotation * M_PI / 180, c = std::cos(r), s = std::sin(r);
    for (int row = 0; row < insert.rows; ++row)
      for (int col = 0; col < insert.cols; ++col) {
        if (arrayCopies_ >= (1u << 16)) return;  // copies enough for any real array
        if (row == 0 && col == 0) continue;
        const double x = col * insert.colSpacing, y = row * insert.rowSpacing;
        for (size_t i = first; i < last; ++i) {
          Entity copy = out[i];
          for (Vertex& v : copy.points) v.x += x * c - y * s, v.y += x * s + y * c;
          out.push_back(std::move(copy));
          ++arrayCopies_;
        }
      }
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
  EntityContext context_;
  RawObject object_, pending_;
  std::vector<RawObject> vertices_;
  bool polyline_ = false, tail_ = false, embedded_ = false, xdata_ = false;
  // Sort handles by entity handle, by block record; the table being read's record and entity.
  std::map<unsigned long long, std::map<unsigned long long, unsigned long long>> sortKeys_;
  unsigned long long sortOwner_ = 0, sortEntity_ = 0;
  // The array insert whose attributes may follow: its list and place in it.
  std::vector<Entity>* array_ = nullptr;
  size_t arrayInsert_ = 0, arrayCopies_ = 0;
  std::string section_;
  Block* block_ = nullptr;
  bool min_ = false, max_ = false;
};

}  // namespace

namespace {

// dxflib makes room for as many vertices, knots or edges as an entity declares before it reads
// them: a count no file of this size could hold (each item takes at least four bytes of text)
// would ask for gigabytes. Such a drawing is refused before dxflib sees it.
bool DeclaresImpossibleCount(std::istream& in, uintmax_t size) {
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
  Collector collector(*drawing);
  DL_Dxf dxf;
  try {
    if (IsBinaryDxf(path)) {
      // dxflib reads ASCII only: a binary drawing is handed over as the same groups in text.
      std::ifstream file(path, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
      std::string text;
      if (!BinaryDxfToText(bytes, &text)) return false;
      std::istringstream check(text);
      if (DeclaresImpossibleCount(check, text.size())) return false;
      // dxflib's loop over a stream does not hand the pairs over: this one does, as its loop
      // over a file does.
      std::istringstream in(text);
      std::string code, value;
      while (std::getline(in, code) && std::getline(in, value)) {
        const unsigned number = static_cast<unsigned>(std::strtoul(code.c_str(), nullptr, 10));
        collector.processCodeValuePair(number, value);
        dxf.processDXFGroup(&collector, static_cast<int>(number), value);
      }
      collector.End();
      return true;
    }
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    std::ifstream check(path, std::ios::binary);
    if (!ec && DeclaresImpossibleCount(check, size)) return false;
    const bool read = dxf.in(path, &collector);
    collector.End();
    return read;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace lanterna::dxfin
