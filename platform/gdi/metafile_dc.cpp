// The metafile context: records drawing in logical units and writes it out as SVG.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi {

namespace {

// Where a document's text goes, piece by piece.
using SvgSink = std::function<void(const char* text, size_t size)>;

class MetafileDC final : public DeviceContext {
 public:
  using Kind = MetafileRecord::Kind;
  using Record = MetafileRecord;

  MetafileDC() : DeviceContext(DeviceCaps::TrueColour()) {}

  void Line(POINT from, POINT to) override {
    if (pen_->style == PS_NULL) return;
    records_.push_back(
        {Kind::Line, false, false, Resolve(pen_->color), 0, pen_->width, from, to, 0, 0});
  }

  void FillPolygon(const POINT* pts, int count) override {
    if (count < 2) return;
    const auto first = static_cast<uint32_t>(points_.size());
    points_.insert(points_.end(), pts, pts + count);
    records_.push_back({Kind::Polygon,
                        pen_->style == PS_NULL,
                        brush_->hollow,
                        Resolve(pen_->color),
                        Resolve(brush_->color),
                        pen_->width,
                        {},
                        {},
                        first,
                        static_cast<uint32_t>(count)});
  }

  COLORREF PutPixel(int32_t x, int32_t y, COLORREF ref) override {
    const COLORREF colour = Resolve(ref);
    records_.push_back({Kind::Pixel, false, false, colour, 0, 0, {x, y}, {}, 0, 0});
    return colour;
  }

  void Blit(RECT, DeviceContext*, POINT, DWORD) override {}

  // Recorded as given, in MM_TEXT too: the reader decides how the window is used.
  void NoteWindowExt(SIZE ext) override {
    map_.windowExt = ext;
    windowSet_ = true;
  }

  size_t RecordCount() const { return records_.size(); }
  void Contents(MetafileContents* out) const {
    out->records = &records_;
    out->points = &points_;
    out->windowExt = map_.windowExt;
    out->windowOrg = map_.windowOrg;
    out->windowSet = windowSet_;
  }
  void WriteSvg(const SvgSink& out, int width, int height) const;

 private:
  std::vector<Record> records_;
  std::vector<POINT> points_;
  bool windowSet_ = false;
};

// Builds the document in memory and hands it on in large pieces.
class SvgWriter {
 public:
  explicit SvgWriter(const SvgSink& out) : out_(out) { text_.reserve(kChunk + 4096); }
  ~SvgWriter() { Flush(); }

  SvgWriter& operator<<(const char* s) {
    text_ += s;
    return *this;
  }
  SvgWriter& operator<<(char c) {
    text_ += c;
    return *this;
  }
  SvgWriter& operator<<(int v) {
    char buf[16];
    text_.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    return *this;
  }
  // Hundredths of a pixel, trailing zeros dropped.
  SvgWriter& operator<<(double v) {
    if (!std::isfinite(v)) v = 0.0;
    long long hundredths = std::llround(std::clamp(v, -1e12, 1e12) * 100.0);
    if (hundredths < 0) {
      text_ += '-';
      hundredths = -hundredths;
    }
    char buf[24];
    text_.append(buf, std::to_chars(buf, buf + sizeof buf, hundredths / 100).ptr);
    const int fraction = static_cast<int>(hundredths % 100);
    if (fraction != 0) {
      text_ += '.';
      text_ += static_cast<char>('0' + fraction / 10);
      if (fraction % 10 != 0) text_ += static_cast<char>('0' + fraction % 10);
    }
    return *this;
  }
  SvgWriter& Colour(COLORREF c) {
    static constexpr char kHex[] = "0123456789abcdef";
    const unsigned parts[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
    text_ += '#';
    for (unsigned part : parts) {
      text_ += kHex[part >> 4];
      text_ += kHex[part & 15];
    }
    return *this;
  }
  void MaybeFlush() {
    if (text_.size() >= kChunk) Flush();
  }
  void Flush() {
    out_(text_.data(), text_.size());
    text_.clear();
  }

 private:
  static constexpr size_t kChunk = size_t{1} << 20;
  const SvgSink& out_;
  std::string text_;
};

void MetafileDC::WriteSvg(const SvgSink& out, int width, int height) const {
  width = std::max(width, 1);
  height = std::max(height, 1);
  // Without a window the logical units are the picture's pixels.
  const SIZE ext = windowSet_ ? map_.windowExt : SIZE{width, height};
  const POINT org = map_.windowOrg;
  const double scaleX = static_cast<double>(width) / ext.cx;
  const double scaleY = static_cast<double>(height) / ext.cy;
  auto px = [&](double x) { return (x - org.x) * scaleX; };
  auto py = [&](double y) { return (y - org.y) * scaleY; };
  auto stroke = [&](int w) { return std::max(std::fabs(static_cast<double>(w) * scaleX), 1.0); };

  SvgWriter svg(out);
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" << width
      << "\" height=\"" << height << "\" viewBox=\"0 0 " << width << ' ' << height << "\">\n"
      << "<rect width=\"" << width << "\" height=\"" << height << "\" fill=\"#ffffff\"/>\n";

  for (size_t i = 0; i < records_.size();) {
    const Record& r = records_[i];
    if (r.kind == Kind::Line) {
      // One path for each run of lines in the same colour and width; a line starting where
      // the previous one ended continues its subpath.
      svg << "<path fill=\"none\" stroke=\"";
      svg.Colour(r.pen) << "\" stroke-width=\"" << stroke(r.width)
                        << "\" stroke-linecap=\"round\" stroke-linejoin=\"round\" d=\"";
      const POINT* end = nullptr;
      for (; i < records_.size(); ++i) {
        const Record& l = records_[i];
        if (l.kind != Kind::Line || l.pen != r.pen || l.width != r.width) break;
        if (!end || end->x != l.from.x || end->y != l.from.y) {
          svg << 'M' << px(l.from.x) << ' ' << py(l.from.y);
        }
        svg << 'L' << px(l.to.x) << ' ' << py(l.to.y);
        end = &l.to;
        svg.MaybeFlush();
      }
      svg << "\"/>\n";
      continue;
    }
    if (r.kind == Kind::Polygon) {
      svg << "<polygon fill-rule=\"evenodd\" fill=\"";
      if (r.hollow) {
        svg << "none";
      } else {
        svg.Colour(r.fill);
      }
      svg << "\" stroke=\"";
      if (r.penNull) {
        svg << "none";
      } else {
        svg.Colour(r.pen) << "\" stroke-width=\"" << stroke(r.width)
                          << "\" stroke-linejoin=\"round";
      }
      svg << "\" points=\"";
      for (uint32_t k = 0; k < r.points; ++k) {
        const POINT& p = points_[r.firstPoint + k];
        if (k) svg << ' ';
        svg << px(p.x) << ',' << py(p.y);
      }
      svg << "\"/>\n";
    } else {
      // The pixel's logical cell, at least one picture pixel across.
      const double x0 = px(r.from.x), x1 = px(r.from.x + 1.0);
      const double y0 = py(r.from.y), y1 = py(r.from.y + 1.0);
      svg << "<rect x=\"" << std::min(x0, x1) << "\" y=\"" << std::min(y0, y1) << "\" width=\""
          << std::max(std::fabs(x1 - x0), 1.0) << "\" height=\""
          << std::max(std::fabs(y1 - y0), 1.0) << "\" fill=\"";
      svg.Colour(r.pen) << "\"/>\n";
    }
    svg.MaybeFlush();
    ++i;
  }
  svg << "</svg>\n";
}

}  // namespace

std::unique_ptr<DeviceContext> CreateMetafileDC() {
  return std::make_unique<MetafileDC>();
}

void WriteMetafileSvg(DeviceContext* metafile, std::ostream& out, int width, int height) {
  auto* m = dynamic_cast<MetafileDC*>(metafile);
  if (!m) return;
  m->WriteSvg([&out](const char* text,
                     size_t size) { out.write(text, static_cast<std::streamsize>(size)); },
              width, height);
}

std::string MetafileSvg(DeviceContext* metafile, int width, int height) {
  std::string svg;
  if (auto* m = dynamic_cast<MetafileDC*>(metafile))
    m->WriteSvg([&svg](const char* text, size_t size) { svg.append(text, size); }, width, height);
  return svg;
}

bool ReadMetafile(DeviceContext* metafile, MetafileContents* out) {
  auto* m = dynamic_cast<MetafileDC*>(metafile);
  if (m) m->Contents(out);
  return m != nullptr;
}

size_t MetafileRecordCount(DeviceContext* metafile) {
  auto* m = dynamic_cast<MetafileDC*>(metafile);
  return m ? m->RecordCount() : 0;
}

}  // namespace gdi
