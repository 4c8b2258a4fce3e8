// The slide information report shown in the "Info" box.
#pragma once

#include <string>

#include "platform/window.h"
#include "slide/slide_types.h"

namespace lanterna {

// Builds the report text; false (and no text) when the slide cannot be loaded. The member
// buffer is upper-cased in place by the loader. info, when given, receives the collected facts.
bool BuildSlideReport(platform::HWND owner, const char* path, char* member, SlideInfo* info,
                      std::string* text);
// Shows the report in a box titled "Info"; nothing when the slide cannot be loaded.
void SlideReport(platform::HWND owner, const char* path, char* member, SlideInfo* info);

// A real number with the given significant digits, as the run-time gcvt writes it.
std::string Gcvt(double value, int digits);

}  // namespace lanterna
