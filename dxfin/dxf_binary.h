// Binary DXF as the ASCII DXF dxflib reads: the same groups, written as text.
#pragma once

#include <string>

namespace lanterna::dxfin {

// The text of the binary DXF's groups after its 22-byte sentinel (codes of one byte, R12, or
// two); false when a group is cut short or its code is unknown.
bool BinaryDxfToText(const std::string& bytes, std::string* text);

}  // namespace lanterna::dxfin
