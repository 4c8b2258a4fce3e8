// Library members as files of their own: their bytes, the file name each is written under, and
// whether a slide decodes to its end. Shared by lanterna-cli extract and the library browser.
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace lanterna {

// A member's bytes through the loader; false with the loader's result when it cannot.
bool ReadMemberBytes(const std::string& library, const std::string& member, std::string* bytes,
                     int32_t* result);

// Whether the bytes are an AutoShade rendering slide's (written as .RND, not .SLD).
bool IsRenderingBytes(const std::string& bytes);

// The file name of a member shown as `shownName`: "/" and control characters as "_", then
// ".SLD" or ".RND"; "_2", "_3"... when another file of `taken` already has it (names in a code
// page may decode alike).
std::string MemberFileName(const std::string& shownName, bool rendering,
                           std::set<std::string>* taken);

// The slide (a file, or a library's member) decodes through to its end.
bool SlideComplete(const std::string& path, const std::string& member);

// Writes bytes to path through a temporary file renamed when complete; the errno of a failure,
// or 0.
int WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace lanterna
