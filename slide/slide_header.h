// The vector slide header, both forms.
#pragma once

#include <cstdint>

namespace lanterna {

constexpr uint32_t kNewFormHeaderLength = 31;
constexpr uint32_t kOldFormHeaderLength = 34;

// Every slide starts with "AutoCAD Slide" CR LF 0x1A; data without it is something else
// (a text file, a cut-off download) and drawing it would only show noise.
constexpr char kSlideSignature[] = "AutoCAD Slide\r\n\x1a";
constexpr uint32_t kSlideSignatureLength = sizeof kSlideSignature - 1;
bool HasSlideSignature(const uint8_t* data, uint32_t size);

struct SlideHeader {
  char id[17] = {};
  uint8_t machine = 0;
  uint8_t level = 0;
  uint8_t versionCode = 0;  // 9 old form, 10 new form, 14 any other level
  uint16_t width = 0;
  uint16_t height = 0;
  float aspectRatio = 0;
  int16_t hardwareFill = 0;
  int16_t testWord = 0;  // as read, least-significant byte first
  bool bigEndian = false;
  uint32_t length = kNewFormHeaderLength;
};

// Parses the header from the first bytes of a block; bytes missing from a short block read as 0.
SlideHeader ParseSlideHeader(const uint8_t* data, uint32_t size);

// 16-bit words in the slide's byte order.
inline uint16_t ReadWord(const uint8_t* p, bool bigEndian) {
  return bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1])
                   : static_cast<uint16_t>(p[0] | p[1] << 8);
}

}  // namespace lanterna
