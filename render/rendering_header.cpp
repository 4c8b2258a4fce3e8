#include <algorithm>
#include <cstring>

#include "render/rendering.h"
#include "render/rendering_state.h"

namespace lanterna {

namespace {
constexpr char kSignature[] = "AutoShade Rendering Slide\r\n";
constexpr size_t kSignatureLength = 27;
constexpr uint32_t kDescriptionAt = 40;
constexpr uint32_t kDescriptionLength = 70;

uint16_t Word(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
}  // namespace

bool ParseRenderingHeader(const uint8_t* data, uint32_t size, RenderingHeader* out) {
  *out = RenderingHeader{};
  // Bytes past the block read as zero: the header is never read beyond the data.
  auto copy = [&](void* dst, uint32_t at, uint32_t n) {
    std::memset(dst, 0, n);
    if (at < size) std::memcpy(dst, data + at, std::min(n, size - at));
  };
  copy(out->text, 0, sizeof out->text);
  if (std::memcmp(out->text, kSignature, kSignatureLength) != 0) return false;
  uint32_t blockAt = kRenderingShortHeaderAt;
  if (out->text[27] == 'W') {
    copy(out->description, kDescriptionAt, kDescriptionLength);
    out->description[kDescriptionLength] = 0;
    blockAt = kRenderingLongHeaderAt;
  }
  copy(out->block, blockAt, kRenderingHeaderBlockLength);
  out->dataStart = blockAt + kRenderingHeaderBlockLength;
  out->width = Word(out->block + 2);
  out->height = Word(out->block + 4);
  const uint16_t pixelWidth = Word(out->block + 12), pixelHeight = Word(out->block + 14);
  out->pixelAspect =
      pixelWidth ? static_cast<float>(pixelHeight) / static_cast<float>(pixelWidth) : 1.0f;
  return true;
}

void FillRenderingInfo(SlideInfo* info, const RenderingHeader& h) {
  *info = SlideInfo{};
  info->kind = 3;
  std::memcpy(info->id, h.text, 25);
  info->machine = h.block[0];
  info->version = h.block[1];
  info->width = h.width;
  info->height = h.height;
  for (int i = 0; i < 6; ++i)
    info->renderWords[i] = static_cast<int16_t>(Word(h.block + 6 + 2 * i));
  std::memcpy(info->description, h.description, sizeof info->description);
}

int16_t RenderingColours(const RenderingHeader& h) {
  return static_cast<int16_t>(Word(h.block + 6));
}
uint16_t RenderingMaxIntensity(const RenderingHeader& h) {
  return Word(h.block + 8);
}
int8_t RenderingFileVersion(const RenderingHeader& h) {
  return static_cast<int8_t>(h.block[1]);
}

}  // namespace lanterna
