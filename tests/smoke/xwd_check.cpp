// Checks a screen dump (X window dump, as Xvfb keeps its screen) for a picture: many pixels
// unlike the background, several colours, and enough pixels of each colour asked for.
// Usage: xwd-check FILE [RRGGBB:COUNT]...   exit 0 when all holds, 1 when not, 2 on a bad file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kHeaderWords = 25;
constexpr int kColourEntry = 12;
enum Field {
  kHeaderSize,
  kVersion,
  kFormat,
  kDepth,
  kWidth,
  kHeight,
  kXOffset,
  kByteOrder,
  kBitmapUnit,
  kBitOrder,
  kPad,
  kBitsPerPixel,
  kBytesPerLine,
  kVisualClass,
  kRedMask,
  kGreenMask,
  kBlueMask,
  kBitsPerRgb,
  kColourMapEntries,
  kColours,
};

uint32_t BigEndian(const unsigned char* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The 8-bit value of a channel whose bits a mask selects.
uint32_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const uint32_t max = mask >> shift;
  return ((pixel & mask) >> shift) * 255 / max;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: xwd-check FILE [RRGGBB:COUNT]...\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  if (data.size() < kHeaderWords * 4) {
    std::fprintf(stderr, "xwd-check: %s is not a window dump\n", argv[1]);
    return 2;
  }
  uint32_t h[kHeaderWords];
  for (int i = 0; i < kHeaderWords; ++i) h[i] = BigEndian(&data[i * 4]);
  const uint32_t bpp = h[kBitsPerPixel];
  const size_t start = size_t(h[kHeaderSize]) + size_t(h[kColours]) * kColourEntry;
  if (h[kVersion] != 7 || h[kFormat] != 2 || (bpp != 32 && bpp != 24 && bpp != 16) ||
      start + size_t(h[kBytesPerLine]) * h[kHeight] > data.size()) {
    std::fprintf(stderr, "xwd-check: %s: unsupported dump (version %u, format %u, %u bpp)\n",
                 argv[1], h[kVersion], h[kFormat], bpp);
    return 2;
  }
  std::unordered_map<uint32_t, long> counts;  // by 0xRRGGBB
  counts.reserve(4096);
  for (uint32_t y = 0; y < h[kHeight]; ++y) {
    const unsigned char* row = &data[start + size_t(y) * h[kBytesPerLine]];
    for (uint32_t x = 0; x < h[kWidth]; ++x) {
      const unsigned char* p = row + x * (bpp / 8);
      uint32_t v = 0;
      for (uint32_t b = 0; b < bpp / 8; ++b)
        v |= uint32_t(p[h[kByteOrder] == 0 ? b : bpp / 8 - 1 - b]) << (8 * b);
      const uint32_t rgb =
          Channel(v, h[kRedMask]) << 16 | Channel(v, h[kGreenMask]) << 8 | Channel(v, h[kBlueMask]);
      ++counts[rgb];
    }
  }
  long total = 0, background = 0;
  uint32_t backgroundColour = 0;
  for (auto& [rgb, n] : counts) {
    total += n;
    if (n > background) background = n, backgroundColour = rgb;
  }
  const long picture = total - background;
  std::printf("%ux%u: %zu colours, background %06X, %ld other pixels\n", h[kWidth], h[kHeight],
              counts.size(), backgroundColour, picture);
  bool ok = counts.size() >= 4 && picture >= 10000;
  for (int i = 2; i < argc; ++i) {
    const std::string want = argv[i];
    const uint32_t rgb = std::strtoul(want.substr(0, 6).c_str(), nullptr, 16);
    const long need = want.size() > 7 ? std::atol(want.c_str() + 7) : 1;
    const long have = counts.count(rgb) ? counts[rgb] : 0;
    std::printf("  %06X: %ld pixels (%ld wanted)\n", rgb, have, need);
    if (have < need) ok = false;
  }
  return ok ? 0 : 1;
}
