#include "output/slide_name.h"

#include <sys/stat.h>

namespace lanterna {

SlideName ParseSlideName(const std::string& text) {
  struct stat st;
  if (::stat(text.c_str(), &st) == 0) return {text, ""};
  const size_t comma = text.rfind(',');
  if (comma == std::string::npos) return {text, ""};
  return {text.substr(0, comma), text.substr(comma + 1)};
}

}  // namespace lanterna
