// Builds slide, library and other fixture bytes in code, record by record.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace fixtures {

using Bytes = std::vector<uint8_t>;

class SlideWriter {
 public:
  // level 1: old form; 2: new form (any other level is written in the new form).
  SlideWriter(uint16_t width, uint16_t height, int level = 2, bool bigEndian = false)
      : width_(width), height_(height), level_(level), big_(bigEndian) {}

  SlideWriter& Aspect(double aspect) {
    aspect_ = aspect;
    return *this;
  }
  SlideWriter& HardwareFill(int16_t fill) {
    fill_ = fill;
    return *this;
  }

  SlideWriter& Vector(int fx, int fy, int tx, int ty) {
    Word(static_cast<uint16_t>(fx)), Word(fy), Word(tx), Word(ty);
    ++records_;
    return *this;
  }
  SlideWriter& Offset(int dx0, int dy0, int dx1, int dy1) {
    Code(0xFB, static_cast<uint8_t>(dx0));
    Byte(dy0), Byte(dx1), Byte(dy1);
    ++records_;
    return *this;
  }
  SlideWriter& Common(int dx, int dy) {
    Code(0xFE, static_cast<uint8_t>(dx));
    Byte(dy);
    ++records_;
    return *this;
  }
  SlideWriter& Colour(int colour) {
    Code(0xFF, static_cast<uint8_t>(colour));
    ++records_;
    return *this;
  }
  // A fill sequence: start record with the count, the vertices, the end record.
  SlideWriter& Fill(const std::vector<std::pair<int, int>>& vertices) {
    FillStart(static_cast<uint16_t>(vertices.size()));
    for (auto [x, y] : vertices) FillRecord(x, y);
    FillRecord(0, -1);
    return *this;
  }
  SlideWriter& FillStart(uint16_t count) { return FillRecord(count, -1); }
  SlideWriter& FillRecord(int x, int y) {
    Code(0xFD, 0);
    Word(static_cast<uint16_t>(x)), Word(y);
    ++records_;
    return *this;
  }
  SlideWriter& EndOfFile() {
    Code(0xFC, 0);
    ++records_;
    return *this;
  }
  SlideWriter& Raw(const Bytes& bytes) {
    body_.insert(body_.end(), bytes.begin(), bytes.end());
    return *this;
  }

  int Records() const { return records_; }
  size_t HeaderLength() const { return level_ == 1 ? 34 : 31; }

  Bytes Build() const {
    const char id[] = "AutoCAD Slide\r\n\x1a";
    Bytes out(id, id + 17);
    out.reserve(34 + body_.size());
    out.push_back(0x56);
    out.push_back(static_cast<uint8_t>(level_));
    if (level_ == 1) {
      Put16(out, width_, false), Put16(out, height_, false);
      uint8_t raw[8];
      std::memcpy(raw, &aspect_, 8);
      out.insert(out.end(), raw, raw + 8);
      Put16(out, static_cast<uint16_t>(fill_), false);
      out.push_back(0);
    } else {
      Put16(out, width_, big_), Put16(out, height_, big_);
      const int32_t a = static_cast<int32_t>(aspect_ * 10000000.0 + 0.5);
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(a >> (8 * i)));
      Put16(out, static_cast<uint16_t>(fill_), big_);
      Put16(out, 0x1234, big_);
    }
    out.insert(out.end(), body_.begin(), body_.end());
    return out;
  }

 private:
  static void Put16(Bytes& out, uint16_t v, bool big) {
    if (big) {
      out.push_back(static_cast<uint8_t>(v >> 8));
      out.push_back(static_cast<uint8_t>(v));
    } else {
      out.push_back(static_cast<uint8_t>(v));
      out.push_back(static_cast<uint8_t>(v >> 8));
    }
  }
  void Word(int v) { Put16(body_, static_cast<uint16_t>(v), big_); }
  void Code(uint8_t code, uint8_t low) {
    Put16(body_, static_cast<uint16_t>(code << 8 | low), big_);
  }
  void Byte(int v) { body_.push_back(static_cast<uint8_t>(v)); }

  uint16_t width_, height_;
  int level_;
  bool big_;
  double aspect_ = 1.5;
  int16_t fill_ = 0;
  Bytes body_;
  int records_ = 0;
};

struct Member {
  std::string name;  // written into the 32-byte field as given (blank padding is the caller's)
  Bytes bytes;
};

// The library layout: signature header, directory, terminating entry, members in order.
inline Bytes LibraryBytes(const std::vector<Member>& members, bool terminator = true) {
  Bytes out;
  const char sig[] = "AutoCAD Slide Library 1.0\r\n\x1a";
  out.insert(out.end(), sig, sig + 28);
  out.resize(32, 0);
  uint32_t offset = 32 + 36 * static_cast<uint32_t>(members.size() + (terminator ? 1 : 0));
  for (const Member& m : members) {
    uint8_t entry[36] = {};
    std::memcpy(entry, m.name.data(), std::min<size_t>(m.name.size(), 32));
    for (int i = 0; i < 4; ++i) entry[32 + i] = static_cast<uint8_t>(offset >> (8 * i));
    out.insert(out.end(), entry, entry + 36);
    offset += static_cast<uint32_t>(m.bytes.size());
  }
  if (terminator) out.resize(out.size() + 36, 0);
  for (const Member& m : members) out.insert(out.end(), m.bytes.begin(), m.bytes.end());
  return out;
}

inline bool WriteFile(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

inline Bytes ReadFile(const std::string& path) {
  Bytes out;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
  }
  return out;
}

}  // namespace fixtures
