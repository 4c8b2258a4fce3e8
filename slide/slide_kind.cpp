#include "slide/slide_kind.h"

#include <utility>

#include "slide/slide_types.h"

namespace lanterna {

std::string UpperCased(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool HasNonAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

std::string UpperCasedName(std::string name) {
  return HasNonAscii(name) ? name : UpperCased(std::move(name));
}

int SlideKindOf(const std::string& path) {
  const std::string upper = UpperCased(path);
  int kind = kKindNone;
  if (upper.find(".SLD") != std::string::npos) kind = kKindSlide;
  if (upper.find(".SLB") != std::string::npos) kind = kKindLibrary;
  if (upper.find(".RND") != std::string::npos) kind = kKindRendering;
  return kind;
}

}  // namespace lanterna
