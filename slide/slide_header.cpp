#include "slide/slide_header.h"

#include <algorithm>
#include <cstring>

namespace lanterna {

namespace {
// Slides from big-endian machines carry the test word 0x1234 in their own order.
constexpr uint16_t kSwappedTestWord = 0x3412;
}  // namespace

bool HasSlideSignature(const uint8_t* data, uint32_t size) {
  return data && size >= kSlideSignatureLength &&
         std::memcmp(data, kSlideSignature, kSlideSignatureLength) == 0;
}

SlideHeader ParseSlideHeader(const uint8_t* data, uint32_t size) {
  uint8_t raw[kOldFormHeaderLength] = {};
  if (data) std::memcpy(raw, data, std::min<uint32_t>(size, sizeof raw));

  SlideHeader h;
  std::memcpy(h.id, raw, sizeof h.id);
  h.machine = raw[17];
  h.level = raw[18];
  if (h.level == 1) {
    h.versionCode = 9;
    h.width = ReadWord(raw + 19, false);
    h.height = ReadWord(raw + 21, false);
    double aspect;
    std::memcpy(&aspect, raw + 23, sizeof aspect);  // stored least-significant byte first
    h.aspectRatio = static_cast<float>(aspect);
    h.hardwareFill = static_cast<int16_t>(ReadWord(raw + 31, false));
    h.testWord = 0;
    h.length = kOldFormHeaderLength;
    return h;
  }
  h.versionCode = h.level == 2 ? 10 : 14;
  h.testWord = static_cast<int16_t>(ReadWord(raw + 29, false));
  h.bigEndian = static_cast<uint16_t>(h.testWord) == kSwappedTestWord;
  h.width = ReadWord(raw + 19, h.bigEndian);
  h.height = ReadWord(raw + 21, h.bigEndian);
  // The aspect ratio stays least-significant byte first in both orders.
  int32_t aspect = static_cast<int32_t>(raw[23] | raw[24] << 8 | raw[25] << 16 |
                                        static_cast<uint32_t>(raw[26]) << 24);
  h.aspectRatio = static_cast<float>(static_cast<long double>(aspect) * 1e-7L);
  h.hardwareFill = static_cast<int16_t>(ReadWord(raw + 27, h.bigEndian));
  h.length = kNewFormHeaderLength;
  return h;
}

}  // namespace lanterna
