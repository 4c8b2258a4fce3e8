#include "slide/slide_encoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "slide/slide_header.h"

namespace lanterna {

namespace {

constexpr uint8_t kOffsetVector = 0xFB;
constexpr uint8_t kEndOfFile = 0xFC;
constexpr uint8_t kSolidFill = 0xFD;
constexpr uint8_t kCommonEndpoint = 0xFE;
constexpr uint8_t kNewColour = 0xFF;

void Word(SlideEncoder& e, int value) {
  e.bytes.push_back(static_cast<uint8_t>(value & 0xFF));
  e.bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void Record(SlideEncoder& e, uint8_t code, int low) {
  e.bytes.push_back(static_cast<uint8_t>(low & 0xFF));
  e.bytes.push_back(code);
}

// A full vector's first word is from-x with the code byte's top bit clear: x stays 0-32767.
SlidePoint Clamped(SlidePoint p) {
  return {std::clamp(p.x, 0, 32767), std::clamp(p.y, 0, 32767)};
}

bool FitsByte(int d) {
  return d >= -128 && d <= 127;
}

}  // namespace

SlideEncoder BeginSlide(int width, int height) {
  SlideEncoder e;
  uint8_t id[17] = {};
  std::memcpy(id, kSlideSignature, kSlideSignatureLength);
  e.bytes.assign(id, id + sizeof id);
  e.bytes.push_back(0x56);  // the type byte CAD programs write
  e.bytes.push_back(2);     // new form
  Word(e, width);
  Word(e, height);
  // The ratio times 10,000,000 in 32 bits: a slide over 214 times wider than high keeps the
  // largest ratio the field holds.
  const double ratio = 10000000.0 * width / std::max(height, 1) + 0.5;
  const int32_t aspect =
      static_cast<int32_t>(std::min(ratio, double{std::numeric_limits<int32_t>::max()}));
  for (int b = 0; b < 4; ++b) e.bytes.push_back(static_cast<uint8_t>(aspect >> (8 * b)));
  Word(e, 0);       // no hardware fill
  Word(e, 0x1234);  // byte-order test word
  return e;
}

void EncodeColour(SlideEncoder& e, int colour) {
  if (colour == e.colour) return;
  Record(e, kNewColour, colour);
  e.colour = colour;
}

void EncodeLine(SlideEncoder& e, SlidePoint a, SlidePoint b) {
  if (e.colour < 0) EncodeColour(e, 7);
  a = Clamped(a);
  b = Clamped(b);
  // Lines have no direction: one that ends where the last began continues from there.
  if (b == e.last) std::swap(a, b);
  if (a == e.last && FitsByte(b.x - a.x) && FitsByte(b.y - a.y)) {
    Record(e, kCommonEndpoint, b.x - a.x);
    e.bytes.push_back(static_cast<uint8_t>(b.y - a.y));
    e.last = b;
    return;
  }
  // Drawn from b back to a, so that b (the likely start of the next line) becomes the last point.
  const int dx0 = b.x - e.last.x, dy0 = b.y - e.last.y, dx1 = a.x - e.last.x, dy1 = a.y - e.last.y;
  if (FitsByte(dx0) && FitsByte(dy0) && FitsByte(dx1) && FitsByte(dy1)) {
    Record(e, kOffsetVector, dx0);
    e.bytes.push_back(static_cast<uint8_t>(dy0));
    e.bytes.push_back(static_cast<uint8_t>(dx1));
    e.bytes.push_back(static_cast<uint8_t>(dy1));
  } else {
    Word(e, b.x);
    Word(e, b.y);
    Word(e, a.x);
    Word(e, a.y);
  }
  e.last = b;
}

void EncodeFill(SlideEncoder& e, const std::vector<SlidePoint>& polygon) {
  if (polygon.size() < 3) return;
  // Fills are painted with the brush of a colour record: one comes first.
  if (e.colour < 0) EncodeColour(e, 7);
  // A fan from the first vertex: exact for convex outlines such as circles and boxes.
  for (size_t start = 1;;) {
    const size_t end = std::min(polygon.size(), start + static_cast<size_t>(kMaxFillVertices) - 1);
    Record(e, kSolidFill, 0);
    Word(e, static_cast<int>(end - start + 1));
    Word(e, -1);  // start and end records carry a negative y
    auto vertex = [&e](SlidePoint p) {
      p = Clamped(p);
      Record(e, kSolidFill, 0);
      Word(e, p.x);
      Word(e, p.y);
    };
    vertex(polygon[0]);
    for (size_t i = start; i < end; ++i) vertex(polygon[i]);
    Record(e, kSolidFill, 0);
    Word(e, 0);
    Word(e, -1);
    if (end == polygon.size()) break;
    start = end - 1;  // the next piece starts at this piece's last vertex
  }
}

void EndSlide(SlideEncoder& e) {
  Record(e, kEndOfFile, 0);
}

}  // namespace lanterna
