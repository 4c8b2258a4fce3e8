// Pixel data compressed into one zlib stream, big inputs in parts on several cores at once.
#pragma once

#include <cstddef>
#include <cstdint>
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
  std::vector<uint8_t> Joined() const;
};

// How many parts to compress data of this size in at once: one per core, each big enough to
// be worth a thread.
int PartsFor(size_t size);

// The DEFLATE data of one part of a stream; a part that is not the last is left open for the
// next to follow. False when memory runs out.
bool DeflatePart(const uint8_t* data, size_t size, int level, bool last, ByteBuffer* out);
// The zlib stream of parts that together hold data of the given Adler-32.
void WrapZlibStream(std::vector<ByteBuffer> parts, uint32_t adler, ZlibStream* out);
uint32_t Adler32(const uint8_t* data, size_t size);
// The Adler-32 of two pieces of data from theirs, the second being secondSize bytes long.
uint32_t Adler32Combine(uint32_t first, uint32_t second, size_t secondSize);

// The zlib stream of data at the given libdeflate level, in PartsFor(size) parts at once.
bool ZlibCompress(const uint8_t* data, size_t size, int level, ZlibStream* out);

}  // namespace lanterna
