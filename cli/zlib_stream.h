// Pixel data compressed into one zlib stream, big inputs in two halves on two cores at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lanterna {

// The zlib stream of data at the given libdeflate level; false when memory runs out.
bool ZlibCompress(const uint8_t* data, size_t size, int level, std::vector<uint8_t>* out);

// The DEFLATE data of one of two parts of a stream, compressed apart: the first part is left
// open for the second to follow.
bool DeflatePart(const uint8_t* data, size_t size, int level, bool first,
                 std::vector<uint8_t>* out);
// The zlib stream of the two parts of data whose Adler-32 is given.
void JoinZlibStream(const std::vector<uint8_t>& first, const std::vector<uint8_t>& second,
                    uint32_t adler, std::vector<uint8_t>* out);
uint32_t Adler32(const uint8_t* data, size_t size);

}  // namespace lanterna
