// Pixel data compressed into one zlib stream, big inputs in two halves on two cores at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lanterna {

// The zlib stream of data at the given libdeflate level; false when memory runs out.
bool ZlibCompress(const uint8_t* data, size_t size, int level, std::vector<uint8_t>* out);

}  // namespace lanterna
