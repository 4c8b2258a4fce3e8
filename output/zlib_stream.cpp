#include "output/zlib_stream.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <new>

#include "output/parts.h"

namespace lanterna {

namespace {

struct CompressorFree {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorFree>;

// Room for the empty stored block an open part ends with.
constexpr size_t kOpenEnd = 5;

// Makes a complete DEFLATE stream continuable: zlib's inflate, stopping at every block
// boundary, finds where the last block starts; its "final" bit is cleared, and an empty stored
// block (what a sync flush writes) brings the stream to a byte boundary for the next part.
bool MakeContinuable(ByteBuffer* part) {
  z_stream s{};
  if (inflateInit2(&s, -15) != Z_OK) return false;
  s.next_in = part->data.get();
  s.avail_in = static_cast<uInt>(part->size);
  uint8_t scratch[1 << 15];  // the output is not kept; inflate keeps its own window
  uint64_t lastBlock = 0;    // bit position of the latest block header seen
  int unused = 0;
  for (;;) {
    s.next_out = scratch;
    s.avail_out = sizeof scratch;
    const int r = inflate(&s, Z_BLOCK);
    if (r == Z_STREAM_END) break;
    if (r != Z_OK && r != Z_BUF_ERROR) break;
    if (r == Z_BUF_ERROR && s.avail_in == 0) break;
    // At a boundary: after the last block only its padding is left, else a block starts here.
    if (s.data_type & 128) {
      if (s.data_type & 64)
        unused = s.data_type & 7;
      else
        lastBlock = uint64_t{s.total_in} * 8 - (s.data_type & 7);
    }
  }
  const bool whole = s.total_in == part->size && s.avail_in == 0;
  inflateEnd(&s);
  if (!whole) return false;
  uint8_t* bytes = part->data.get();
  bytes[lastBlock / 8] &= static_cast<uint8_t>(~(1u << (lastBlock % 8)));
  // The stored block's three header bits fit in the padding of the last byte, or need one more.
  if (unused < 3) bytes[part->size++] = 0;
  for (uint8_t b : {0x00, 0x00, 0xFF, 0xFF}) bytes[part->size++] = b;
  return true;
}

ByteBuffer Bytes(std::initializer_list<uint8_t> list) {
  ByteBuffer b;
  b.data.reset(new uint8_t[list.size()]);
  std::copy(list.begin(), list.end(), b.data.get());
  b.size = list.size();
  return b;
}

// The DEFLATE data of one part of a stream; a part that is not the last is left open for the
// next to follow. False when memory runs out.
bool DeflatePart(const uint8_t* data, size_t size, int level, bool last, ByteBuffer* out) {
  Compressor c(libdeflate_alloc_compressor(level));
  if (!c) return false;
  const size_t bound = libdeflate_deflate_compress_bound(c.get(), size) + kOpenEnd;
  out->data.reset(new uint8_t[bound]);
  out->size = libdeflate_deflate_compress(c.get(), data, size, out->data.get(), bound);
  return out->size != 0 && (last || MakeContinuable(out));
}

// The zlib stream of parts that together hold data of the given Adler-32.
void WrapZlibStream(std::vector<ByteBuffer> parts, uint32_t adler, ZlibStream* out) {
  // The zlib wrapper: deflate with a 32 KiB window at a "fast" level, then the data's Adler-32.
  out->pieces.clear();
  out->pieces.push_back(Bytes({0x78, 0x5E}));
  for (ByteBuffer& p : parts) out->pieces.push_back(std::move(p));
  out->pieces.push_back(Bytes({static_cast<uint8_t>(adler >> 24), static_cast<uint8_t>(adler >> 16),
                               static_cast<uint8_t>(adler >> 8), static_cast<uint8_t>(adler)}));
}

uint32_t Adler32(const uint8_t* data, size_t size) {
  return libdeflate_adler32(1, data, size);
}

// The Adler-32 of two pieces of data from theirs, the second being secondSize bytes long.
uint32_t Adler32Combine(uint32_t first, uint32_t second, size_t secondSize) {
  return static_cast<uint32_t>(adler32_combine(first, second, static_cast<z_off_t>(secondSize)));
}

}  // namespace

size_t ZlibStream::Size() const {
  size_t n = 0;
  for (const ByteBuffer& p : pieces) n += p.size;
  return n;
}

bool ZlibCompressParts(const uint8_t* data, const std::vector<size_t>& ends, int level,
                       const std::function<void(int)>& prepare, ZlibStream* out) {
  const int parts = static_cast<int>(ends.size());
  auto start = [&](int i) { return i == 0 ? size_t{0} : ends[static_cast<size_t>(i) - 1]; };
  std::vector<ByteBuffer> deflated(ends.size());
  std::vector<uint32_t> adlers(ends.size());
  const bool done = RunParts(parts, [&](int i) {
    if (prepare) prepare(i);
    const size_t from = start(i), size = ends[static_cast<size_t>(i)] - from;
    adlers[static_cast<size_t>(i)] = Adler32(data + from, size);
    return DeflatePart(data + from, size, level, i == parts - 1, &deflated[static_cast<size_t>(i)]);
  });
  if (!done) return false;
  uint32_t adler = adlers[0];
  for (int i = 1; i < parts; ++i)
    adler = Adler32Combine(adler, adlers[static_cast<size_t>(i)],
                           ends[static_cast<size_t>(i)] - start(i));
  WrapZlibStream(std::move(deflated), adler, out);
  return true;
}

bool ZlibCompress(const uint8_t* data, size_t size, int level, ZlibStream* out) {
  const int parts = PartsFor(size);
  std::vector<size_t> ends;
  for (int i = 0; i < parts; ++i) ends.push_back(PartEnd(size, i, parts));
  return ZlibCompressParts(data, ends, level, nullptr, out);
}

}  // namespace lanterna
