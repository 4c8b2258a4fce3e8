#pragma once

#include <string>

namespace lanterna {

// The kind a path names, by substring tests on its upper-cased copy: ".SLD" 1, ".SLB" 2,
// ".RND" 3, the last match winning; 0 when none matches.
int SlideKindOf(const std::string& path);
std::string UpperCased(std::string text);

}  // namespace lanterna
