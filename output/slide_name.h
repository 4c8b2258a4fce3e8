// "FILE[,MEMBER]" as the command line names a slide.
#pragma once

#include <string>

namespace lanterna {

struct SlideName {
  std::string path;
  std::string member;  // empty for a plain file
};

// Splits at the last comma unless the whole text names an existing file.
SlideName ParseSlideName(const std::string& text);

}  // namespace lanterna
