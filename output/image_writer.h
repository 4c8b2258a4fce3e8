// Writes a bitmap of resolved colours as PNG (indexed when it has at most 256 colours, RGB
// otherwise) or as binary PPM.
#pragma once

#include <cstdio>
#include <string>

#include "platform/gdi/gdi.h"

namespace lanterna {

bool WritePng(const std::string& path, const gdi::Bitmap& bitmap);
bool WritePpm(const std::string& path, const gdi::Bitmap& bitmap);
// The same to an open stream (standard output), left open.
bool WritePng(std::FILE* file, const gdi::Bitmap& bitmap);
bool WritePpm(std::FILE* file, const gdi::Bitmap& bitmap);

}  // namespace lanterna
