// Writes a bitmap of resolved colours as PNG or as binary PPM.
#pragma once

#include <string>

#include "platform/gdi/gdi.h"

namespace lanterna {

bool WritePng(const std::string& path, const gdi::Bitmap& bitmap);
bool WritePpm(const std::string& path, const gdi::Bitmap& bitmap);

}  // namespace lanterna
