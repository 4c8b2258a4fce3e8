#include "cli/cli_common.h"

#include <cstdio>
#include <cstdlib>

#include "slide/loader.h"
#include "slide/slide_kind.h"

namespace lanterna {

const char kUsage[] =
    "usage: lanterna-cli render FILE[,MEMBER] -o OUT.png|OUT.svg|OUT.ppm [--size WxH] [--zoom N]"
    " [--pan X,Y]\n"
    "       lanterna-cli list LIBRARY\n"
    "       lanterna-cli info FILE[,MEMBER]\n"
    "       lanterna-cli dxf FILE[,MEMBER] OUT.dxf [--polylines]\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "lanterna-cli: %s\n", problem);
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  const std::string upper = UpperCased(text);
  return upper.size() >= tail.size() &&
         upper.compare(upper.size() - tail.size(), tail.size(), tail) == 0;
}

bool ParsePair(const std::string& text, char separator, int* a, int* b) {
  const size_t at = text.find(separator);
  if (at == std::string::npos) return false;
  char* end = nullptr;
  const std::string first = text.substr(0, at), second = text.substr(at + 1);
  long x = std::strtol(first.c_str(), &end, 10);
  if (first.empty() || *end) return false;
  long y = std::strtol(second.c_str(), &end, 10);
  if (second.empty() || *end) return false;
  if (x < -1000000 || x > 1000000 || y < -1000000 || y > 1000000) return false;
  *a = static_cast<int>(x);
  *b = static_cast<int>(y);
  return true;
}

int LoaderFailure(const SlideName& name, int32_t result) {
  const char* path = name.path.c_str();
  switch (result) {
    case kEmptyPath:
      std::fprintf(stderr, "lanterna-cli: empty file name\n");
      break;
    case kCannotOpen:
      if (SlideKindOf(name.path) == kKindNone)
        std::fprintf(
            stderr, "lanterna-cli: %s: unknown kind of file (expected .SLD, .SLB or .RND)\n", path);
      else
        std::fprintf(stderr, "lanterna-cli: %s: cannot open\n", path);
      break;
    case kNotFound:
      if (!name.member.empty())
        std::fprintf(stderr, "lanterna-cli: %s: no member %s (or not enough memory)\n", path,
                     name.member.c_str());
      else
        std::fprintf(stderr, "lanterna-cli: %s: cannot be loaded\n", path);
      break;
    default:
      std::fprintf(stderr, "lanterna-cli: %s: not a readable slide\n", path);
  }
  return kExitFailed;
}

}  // namespace lanterna
