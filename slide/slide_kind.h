#pragma once

#include <string>

namespace lanterna {

// The kind a path names, by substring tests on its upper-cased copy: ".SLD" 1, ".SLB" 2,
// ".RND" 3, the last match winning; 0 when none matches.
int SlideKindOf(const std::string& path);
std::string UpperCased(std::string text);
// A library member's name as lookups compare it: the ASCII letters of an all-ASCII name
// upper-cased; a name holding a byte of 0x80 or more is kept as stored, since in Big5, GBK or
// Shift-JIS the second byte of a character may be an ASCII letter ("A6 61" is not "A6 41").
std::string UpperCasedName(std::string name);
bool HasNonAscii(const std::string& text);

}  // namespace lanterna
