// Pixel data compressed into one zlib stream, big inputs in parts on several cores at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lanterna {

// Bytes left unset when made: the compressor writes them before anything reads them, and
// memory never written costs nothing.
struct ByteBuffer {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
};

// A zlib stream kept as the pieces it was made in: written out one after the other, they are
// the stream (header, DEFLATE parts, checksum).
struct ZlibStream {
  std::vector<ByteBuffer> pieces;
  size_t Size() const;
};

// The zlib stream of data at the given libdeflate level, in PartsFor(size) parts at once
// (output/parts.h).
bool ZlibCompress(const uint8_t* data, size_t size, int level, ZlibStream* out);
// The same with the parts ending at `ends` (the last at the data's size), each compressed on a
// thread of its own; prepare(i), when given, runs there first and may still change part i.
bool ZlibCompressParts(const uint8_t* data, const std::vector<size_t>& ends, int level,
                       const std::function<void(int)>& prepare, ZlibStream* out);

}  // namespace lanterna
