// Builds AutoShade rendering-slide fixture bytes in code, record by record.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/slide_writer.h"

namespace fixtures {

using Vertices = std::vector<std::pair<int, int>>;

class RenderingWriter {
 public:
  // colours 0: continuous colour; otherwise the size of the colour map.
  RenderingWriter(uint16_t width, uint16_t height, int16_t colours = 256,
                  uint16_t maxIntensity = 255)
      : width_(width), height_(height), colours_(colours), maxIntensity_(maxIntensity) {}

  // The long variant: "W", the rest of the identification field, a 70-byte description.
  RenderingWriter& Long(const std::string& description) {
    long_ = true;
    description_ = description;
    return *this;
  }
  RenderingWriter& Version(int8_t version) {
    version_ = version;
    return *this;
  }
  RenderingWriter& PixelShape(uint16_t width, uint16_t height) {
    pixelWidth_ = width, pixelHeight_ = height;
    return *this;
  }

  RenderingWriter& Code(uint8_t code) {
    body_.push_back(code);
    return *this;
  }
  RenderingWriter& ColourEntry(int index, int red, int green, int blue) {
    Code(8), Word(index), Word(red), Word(green), Word(blue);
    return *this;
  }
  RenderingWriter& ColourMapEnd() { return Code(9); }
  // Record 10; count overrides the vertex count field (the vertices written stay as given).
  RenderingWriter& Polygon(int fill, int edge, const Vertices& v, int count = -1) {
    Code(10), Word(0), Word(fill), Word(edge), Word(count < 0 ? static_cast<int>(v.size()) : count);
    for (auto [x, y] : v) Word(x), Word(y);
    return *this;
  }
  // Record 12; the ambient value is written only from file version 4 on.
  RenderingWriter& Parameters(double minShade, double maxShade, int contrast, double red,
                              double green, double blue, double ambient) {
    Code(12), Double(minShade), Double(maxShade), Word(contrast);
    Double(red), Double(green), Double(blue);
    if (version_ >= 4) Double(ambient);
    return *this;
  }
  // Record 13: fill and edge colours 0-1, intensity, and per-vertex values when perVertex.
  RenderingWriter& ContinuousPolygon(const double fill[3], const double edge[3], double intensity,
                                     const Vertices& v, bool perVertex = false, int count = -1) {
    Code(13), Word(perVertex ? 0x10 : 0);
    for (int i = 0; i < 3; ++i) Double(fill[i]);
    for (int i = 0; i < 3; ++i) Double(edge[i]);
    Double(intensity), Word(count < 0 ? static_cast<int>(v.size()) : count);
    for (auto [x, y] : v) Word(x), Word(y);
    if (perVertex)
      for (size_t i = 0; i < v.size(); ++i) Double(0.5);
    return *this;
  }
  // Record 14; count overrides the byte count field.
  RenderingWriter& Scanline(int x, int y, int run, const Bytes& data, int count = -1) {
    Code(14), Word(x), Word(y), Word(run), Word(count < 0 ? static_cast<int>(data.size()) : count);
    body_.insert(body_.end(), data.begin(), data.end());
    return *this;
  }
  RenderingWriter& Raw(const Bytes& bytes) {
    body_.insert(body_.end(), bytes.begin(), bytes.end());
    return *this;
  }

  uint32_t FirstRecord() const { return long_ ? 128 : 46; }
  size_t BodySize() const { return body_.size(); }

  Bytes Build() const {
    const char sig[] = "AutoShade Rendering Slide\r\n";
    Bytes out(sig, sig + 27);
    if (long_) {
      out.push_back('W');
      out.resize(40, ' ');
      std::string d = description_;
      d.resize(70, 0);
      out.insert(out.end(), d.begin(), d.end());
    } else {
      out.push_back('S');  // any variant byte but "W"
    }
    out.push_back(7);  // machine
    out.push_back(static_cast<uint8_t>(version_));
    for (int v : {int{width_}, int{height_}, int{colours_}, int{maxIntensity_}, 8, int{pixelWidth_},
                  int{pixelHeight_}, 0x0102})
      Put(out, v);
    out.insert(out.end(), body_.begin(), body_.end());
    return out;
  }

 private:
  static void Put(Bytes& out, int v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  void Word(int v) { Put(body_, v); }
  void Double(double d) {
    uint8_t raw[8];
    std::memcpy(raw, &d, 8);
    body_.insert(body_.end(), raw, raw + 8);
  }

  uint16_t width_, height_;
  int16_t colours_;
  uint16_t maxIntensity_;
  bool long_ = false;
  std::string description_;
  int8_t version_ = 4;
  uint16_t pixelWidth_ = 1, pixelHeight_ = 1;
  Bytes body_;
};

}  // namespace fixtures
