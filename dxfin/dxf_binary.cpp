#include "dxfin/dxf_binary.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace lanterna::dxfin {

namespace {

enum class Type { kString, kDouble, kInt16, kInt32, kInt64, kBool, kBinary };

// The value type of each group code, as the DXF reference lists them.
bool TypeOf(int code, Type* type) {
  auto in = [code](int lo, int hi) { return code >= lo && code <= hi; };
  if (in(0, 9) || in(100, 109) || in(300, 309) || in(320, 369) || in(390, 399) || in(410, 419) ||
      in(430, 439) || in(470, 481) || code == 999 || in(1000, 1003) || in(1005, 1009))
    *type = Type::kString;
  else if (in(10, 59) || in(110, 149) || in(210, 239) || in(460, 469) || in(1010, 1059))
    *type = Type::kDouble;
  else if (in(60, 79) || in(170, 179) || in(270, 289) || in(370, 389) || in(400, 409) ||
           in(1060, 1070))
    *type = Type::kInt16;
  else if (in(90, 99) || in(420, 429) || in(440, 459) || code == 1071)
    *type = Type::kInt32;
  else if (in(160, 169))
    *type = Type::kInt64;
  else if (in(290, 299))
    *type = Type::kBool;
  else if (in(310, 319) || code == 1004)
    *type = Type::kBinary;
  else
    return false;
  return true;
}

}  // namespace

bool BinaryDxfToText(const std::string& bytes, std::string* text) {
  constexpr size_t kSentinel = 22;
  if (bytes.size() < kSentinel + 2) return false;
  size_t at = kSentinel;
  // The first group is 0 SECTION: its code takes two bytes from R13 on, one before.
  const bool wide = bytes[kSentinel + 1] == 0;
  auto has = [&](size_t n) { return bytes.size() - at >= n; };
  auto little = [&](size_t n) {
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i)
      v |= uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
    at += n;
    return v;
  };
  char number[64];
  while (at < bytes.size()) {
    int code;
    if (wide) {
      if (!has(2)) return false;
      code = static_cast<int16_t>(little(2));
    } else {
      if (!has(1)) return false;
      code = static_cast<unsigned char>(bytes[at++]);
      if (code == 255) {
        if (!has(2)) return false;
        code = static_cast<int16_t>(little(2));
      }
    }
    Type type;
    if (!TypeOf(code, &type)) return false;
    std::string value;
    switch (type) {
      case Type::kString: {
        const size_t end = bytes.find('\0', at);
        if (end == std::string::npos) return false;
        value = bytes.substr(at, end - at);
        at = end + 1;
        break;
      }
      case Type::kDouble: {
        if (!has(8)) return false;
        const uint64_t raw = little(8);
        double d;
        std::memcpy(&d, &raw, sizeof d);
        std::snprintf(number, sizeof number, "%.17g", d);
        value = number;
        break;
      }
      case Type::kInt16:
      case Type::kInt32:
      case Type::kInt64:
      case Type::kBool: {
        const size_t n = type == Type::kInt16   ? 2
                         : type == Type::kInt32 ? 4
                         : type == Type::kInt64 ? 8
                                                : 1;
        if (!has(n)) return false;
        const uint64_t raw = little(n);
        const long long v = n == 2   ? static_cast<int16_t>(raw)
                            : n == 4 ? static_cast<int32_t>(raw)
                            : n == 8 ? static_cast<long long>(raw)
                                     : static_cast<long long>(raw);
        value = std::to_string(v);
        break;
      }
      case Type::kBinary: {
        if (!has(1)) return false;
        const size_t n = static_cast<unsigned char>(bytes[at++]);
        if (!has(n)) return false;
        static const char kHex[] = "0123456789ABCDEF";
        for (size_t i = 0; i < n; ++i) {
          const unsigned char b = static_cast<unsigned char>(bytes[at + i]);
          value += kHex[b >> 4];
          value += kHex[b & 15];
        }
        at += n;
        break;
      }
    }
    // A line break inside a value would split the group in the text form.
    for (char& c : value)
      if (c == '\n' || c == '\r') c = ' ';
    *text += std::to_string(code) + "\n" + value + "\n";
    if (code == 0 && value == "EOF") break;
  }
  return true;
}

}  // namespace lanterna::dxfin
