// Lines in device pixels: clipped Bresenham for one-pixel pens, capsules for wide ones.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "platform/gdi/raster.h"

namespace gdi::raster {

namespace {

// Wide lines are nudged this far down and right so that a boundary passing exactly through
// a row or column of pixel centres takes one side only: a pen w wide covers w pixels.
constexpr double kNudge = 1.0 / 256;

// floor((a * b + c) / d) and its remainder, for operands below 2^62 whose quotient fits in
// 64 bits. Far-off lines need the full product; short ones never leave the native path.
struct Division {
  uint64_t quotient, remainder;
};

Division MulAddDiv(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
  if (b == 0 || a <= (UINT64_MAX - c) / b) return {(a * b + c) / d, (a * b + c) % d};
  // 128-bit product from 32-bit halves, then plain long division.
  const uint64_t aLo = a & 0xFFFFFFFF, aHi = a >> 32, bLo = b & 0xFFFFFFFF, bHi = b >> 32;
  const uint64_t lolo = aLo * bLo, lohi = aLo * bHi, hilo = aHi * bLo, hihi = aHi * bHi;
  const uint64_t middle = (lolo >> 32) + (lohi & 0xFFFFFFFF) + (hilo & 0xFFFFFFFF);
  uint64_t lo = (middle << 32) | (lolo & 0xFFFFFFFF);
  uint64_t hi = hihi + (lohi >> 32) + (hilo >> 32) + (middle >> 32);
  lo += c;
  hi += lo < c;
  uint64_t quotient = 0, remainder = 0;
  for (int bit = 127; bit >= 0; --bit) {
    const uint64_t next = bit >= 64 ? (hi >> (bit - 64)) & 1 : (lo >> bit) & 1;
    remainder = (remainder << 1) | next;  // remainder < d < 2^62: no overflow
    quotient <<= 1;
    if (remainder >= d) {
      remainder -= d;
      quotient |= 1;
    }
  }
  return {quotient, remainder};
}

// ceil((a * b + c) / d), same limits.
int64_t MulAddCeil(int64_t a, int64_t b, int64_t c, int64_t d) {
  const Division r = MulAddDiv(static_cast<uint64_t>(a), static_cast<uint64_t>(b),
                               static_cast<uint64_t>(c), static_cast<uint64_t>(d));
  return static_cast<int64_t>(r.quotient + (r.remainder != 0));
}

}  // namespace

// Step k (0 <= k < n along the major axis) lands at minor offset
// floor((2 k m + n - 1) / (2 n)): the nearest pixel, a tie staying on the start's side.
// Clipping solves that for the first and last visible k, so the visible pixels are exactly
// those of the whole line, however far off its ends are, and the loop needs no bounds checks.
// Device coordinates stay within 2^40, so every operand below is under 2^62.
namespace {

// Bresenham's walk along the major axis: count pixels, the error term starting at remainder.
// On a short line the minor step is taken by mask: a branch there is mispredicted on about one
// pixel in three, the predictor having no time to learn the line's pattern. The masked walk keeps
// twoN - 1 - error, whose sign is the test. A long line's steps repeat regularly, the branch
// is learnt, and its shorter dependency chain wins (from about 64 pixels on, as measured).
constexpr int64_t kMaskedWalkLength = 64;

inline void Walk(COLORREF* p, int64_t count, int64_t remainder, int64_t twoM, int64_t twoN,
                 ptrdiff_t majorStep, ptrdiff_t minorStep, COLORREF colour) {
  if (count < kMaskedWalkLength) {
    int64_t left = twoN - 1 - remainder;  // >= 0 while no minor step is due
    for (;;) {
      *p = colour;
      if (--count == 0) return;
      left -= twoM;
      const int64_t step = left >> 63;  // all ones when the minor step is due
      p += majorStep + (minorStep & step);
      left += twoN & step;
    }
  }
  for (;;) {
    *p = colour;
    if (--count == 0) return;
    p += majorStep;
    remainder += twoM;
    if (remainder >= twoN) {
      remainder -= twoN;
      p += minorStep;
    }
  }
}

}  // namespace

void ThinLine(const Canvas& canvas, DevicePoint a, DevicePoint b, COLORREF colour) {
  if (canvas.width <= 0 || canvas.height <= 0) return;
  const int64_t dx = b.x - a.x, dy = b.y - a.y;
  if (dx == 0 && dy == 0) return;

  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t major0 = xMajor ? a.x : a.y, minor0 = xMajor ? a.y : a.x;
  const int64_t majorDelta = xMajor ? dx : dy, minorDelta = xMajor ? dy : dx;
  const int64_t n = std::llabs(majorDelta), m = std::llabs(minorDelta);
  const int64_t majorSign = majorDelta < 0 ? -1 : 1, minorSign = minorDelta < 0 ? -1 : 1;
  const int64_t majorSize = xMajor ? canvas.width : canvas.height;
  const int64_t minorSize = xMajor ? canvas.height : canvas.width;

  const auto stride = static_cast<ptrdiff_t>(canvas.width);
  const ptrdiff_t majorStep = xMajor ? majorSign : majorSign * stride;
  const ptrdiff_t minorStep = xMajor ? minorSign * stride : minorSign;
  const int64_t twoN = 2 * n, twoM = 2 * m;

  // Most lines lie wholly on the surface: no clipping, the error term starts at n - 1.
  if (a.x >= 0 && a.y >= 0 && a.x < canvas.width && a.y < canvas.height && b.x >= 0 && b.y >= 0 &&
      b.x < canvas.width && b.y < canvas.height) {
    Walk(canvas.pixels + a.y * stride + a.x, n, n - 1, twoM, twoN, majorStep, minorStep, colour);
    return;
  }

  int64_t kFirst = 0, kLast = n - 1;
  if (majorSign > 0) {
    kFirst = std::max(kFirst, -major0);
    kLast = std::min(kLast, majorSize - 1 - major0);
  } else {
    kFirst = std::max(kFirst, major0 - (majorSize - 1));
    kLast = std::min(kLast, major0);
  }
  if (kFirst > kLast) return;

  int64_t offFirst = minorSign > 0 ? -minor0 : minor0 - (minorSize - 1);
  int64_t offLast = minorSign > 0 ? minorSize - 1 - minor0 : minor0;
  offFirst = std::max<int64_t>(offFirst, 0);
  offLast = std::min(offLast, m);
  if (offFirst > offLast) return;
  if (m > 0) {
    // off_k >= offFirst  <=>  k >= (2 n offFirst - n + 1) / 2m
    if (offFirst > 0) kFirst = std::max(kFirst, MulAddCeil(n, 2 * offFirst - 1, 1, 2 * m));
    // off_k <= offLast  <=>  k < (2 n (offLast + 1) - n + 1) / 2m
    kLast = std::min(kLast, MulAddCeil(2 * n, offLast, n + 1, 2 * m) - 1);
    if (kFirst > kLast) return;
  }

  const Division at = MulAddDiv(static_cast<uint64_t>(kFirst), static_cast<uint64_t>(twoM),
                                static_cast<uint64_t>(n - 1), static_cast<uint64_t>(twoN));
  const auto offset = static_cast<int64_t>(at.quotient);
  auto remainder = static_cast<int64_t>(at.remainder);
  const int64_t majorAt = major0 + majorSign * kFirst, minorAt = minor0 + minorSign * offset;
  const int64_t x = xMajor ? majorAt : minorAt, y = xMajor ? minorAt : majorAt;

  Walk(canvas.pixels + y * stride + x, kLast - kFirst + 1, remainder, twoM, twoN, majorStep,
       minorStep, colour);
}

// The covered pixels of each row form one interval (the capsule is convex): the union of what
// the row cuts from the two end discs and from the band along the segment.
void WideLine(const Canvas& canvas, DevicePoint a, DevicePoint b, int width, COLORREF colour) {
  if (canvas.width <= 0 || canvas.height <= 0) return;
  if (a.x == b.x && a.y == b.y) return;
  const double r = width / 2.0;
  const double ax = static_cast<double>(a.x) + kNudge, ay = static_cast<double>(a.y) + kNudge;
  const double bx = static_cast<double>(b.x) + kNudge, by = static_cast<double>(b.y) + kNudge;
  const double length = std::hypot(bx - ax, by - ay);
  const double ux = (bx - ax) / length, uy = (by - ay) / length;
  constexpr double kInf = std::numeric_limits<double>::infinity();

  const double top = std::max(0.0, std::ceil(std::min(ay, by) - r));
  const double bottom =
      std::min(static_cast<double>(canvas.height - 1), std::floor(std::max(ay, by) + r));
  const auto stride = static_cast<ptrdiff_t>(canvas.width);
  for (auto py = static_cast<int64_t>(top); py <= static_cast<int64_t>(bottom); ++py) {
    const double y = static_cast<double>(py);
    double lo = kInf, hi = -kInf;
    auto disc = [&](double cx, double cy) {
      const double h = r * r - (y - cy) * (y - cy);
      if (h < 0.0) return;
      const double s = std::sqrt(h);
      lo = std::min(lo, cx - s);
      hi = std::max(hi, cx + s);
    };
    disc(ax, ay);
    disc(bx, by);
    // Along the segment 0 <= t <= length and across it |s| <= r, both linear in x.
    double bandLo = -kInf, bandHi = kInf;
    bool band = true;
    auto limit = [&](double coef, double constant, double low, double high) {
      if (coef == 0.0) {
        band = band && constant >= low && constant <= high;
        return;
      }
      double x1 = (low - constant) / coef, x2 = (high - constant) / coef;
      if (x1 > x2) std::swap(x1, x2);
      bandLo = std::max(bandLo, x1);
      bandHi = std::min(bandHi, x2);
    };
    limit(ux, -ax * ux + (y - ay) * uy, 0.0, length);
    limit(-uy, ax * uy + (y - ay) * ux, -r, r);
    if (band && bandLo <= bandHi) {
      lo = std::min(lo, bandLo);
      hi = std::max(hi, bandHi);
    }
    if (!(lo <= hi)) continue;
    const double first = std::max(0.0, std::ceil(lo));
    const double last = std::min(static_cast<double>(canvas.width - 1), std::floor(hi));
    if (first > last) continue;
    COLORREF* row = canvas.pixels + py * stride;
    FillSpan(row + static_cast<int64_t>(first), static_cast<int64_t>(last - first) + 1, colour);
  }
}

}  // namespace gdi::raster
