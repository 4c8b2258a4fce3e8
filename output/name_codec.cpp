#include "output/name_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace lanterna {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
constexpr char kDefaultLegacy[] = "WINDOWS-1252";

// One iconv conversion, closed on every path.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of in; a sequence that cannot be converted is passed to onBad, which returns
  // false to give up (the result is then false) or appends a stand-in and skips a byte.
  template <typename OnBad>
  bool Convert(const std::string& in, std::string* out, OnBad onBad) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[256];
    while (srcLeft > 0) {
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      const size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out->append(buffer, static_cast<size_t>(dst - buffer));
      if (r != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ, or EINVAL for a sequence cut by the end of the name.
      if (!onBad(out)) return false;
      ++src;
      --srcLeft;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &dst, &dstLeft);  // a stateful code page's closing shift
    out->append(buffer, static_cast<size_t>(dst - buffer));
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

bool KnownCodePage(const std::string& codePage) {
  if (codePage.empty()) return false;
  return Converter("UTF-8", codePage.c_str()).ok() && Converter(codePage.c_str(), "UTF-8").ok();
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t length;
    char32_t code, least;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2, code = c & 0x1F, least = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3, code = c & 0x0F, least = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4, code = c & 0x07, least = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::string DecodeName(const std::string& stored, const std::string& codePage) {
  if (codePage.empty() && IsValidUtf8(stored)) return stored;
  Converter converter("UTF-8", codePage.empty() ? kDefaultLegacy : codePage.c_str());
  std::string text;
  if (!converter.ok()) {
    // Unknown code page (callers check first): ASCII stays, the rest is shown as unknown.
    for (char c : stored)
      if (static_cast<unsigned char>(c) < 0x80)
        text += c;
      else
        text += kReplacement;
    return text;
  }
  converter.Convert(stored, &text, [](std::string* out) {
    out->append(kReplacement);
    return true;
  });
  return text;
}

bool EncodeName(const std::string& text, const std::string& codePage, std::string* stored) {
  stored->clear();
  if (codePage.empty()) {
    *stored = text;
    return true;
  }
  Converter converter(codePage.c_str(), "UTF-8");
  if (!converter.ok()) return false;
  return converter.Convert(text, stored, [](std::string*) { return false; });
}

}  // namespace lanterna
