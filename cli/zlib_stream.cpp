#include "cli/zlib_stream.h"

#include <libdeflate.h>
#include <zlib.h>

#include <memory>
#include <new>
#include <thread>

namespace lanterna {

namespace {

// Below this a second thread costs more than it saves.
constexpr size_t kSplitAbove = size_t{1} << 20;

struct CompressorFree {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorFree>;

// Raw DEFLATE data of one part, ending in a final block.
bool Deflate(const uint8_t* data, size_t size, int level, std::vector<uint8_t>* out) {
  Compressor c(libdeflate_alloc_compressor(level));
  if (!c) return false;
  out->resize(libdeflate_deflate_compress_bound(c.get(), size));
  const size_t n = libdeflate_deflate_compress(c.get(), data, size, out->data(), out->size());
  out->resize(n);
  return n != 0;
}

// Makes a complete DEFLATE stream continuable: zlib's inflate, stopping at every block
// boundary, finds where the last block starts; its "final" bit is cleared, and an empty stored
// block (what a sync flush writes) brings the stream to a byte boundary for the next part.
bool MakeContinuable(std::vector<uint8_t>* part) {
  z_stream s{};
  if (inflateInit2(&s, -15) != Z_OK) return false;
  s.next_in = part->data();
  s.avail_in = static_cast<uInt>(part->size());
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
  const bool whole = s.total_in == part->size() && s.avail_in == 0;
  inflateEnd(&s);
  if (!whole) return false;
  (*part)[lastBlock / 8] &= static_cast<uint8_t>(~(1u << (lastBlock % 8)));
  // The stored block's three header bits fit in the padding of the last byte, or need one more.
  if (unused < 3) part->push_back(0);
  for (uint8_t b : {0x00, 0x00, 0xFF, 0xFF}) part->push_back(b);
  return true;
}

}  // namespace

bool DeflatePart(const uint8_t* data, size_t size, int level, bool first,
                 std::vector<uint8_t>* out) {
  return Deflate(data, size, level, out) && (!first || MakeContinuable(out));
}

void JoinZlibStream(const std::vector<uint8_t>& first, const std::vector<uint8_t>& second,
                    uint32_t adler, std::vector<uint8_t>* out) {
  // The zlib wrapper: deflate with a 32 KiB window at a "fast" level, then the data's Adler-32.
  out->clear();
  out->reserve(2 + first.size() + second.size() + 4);
  out->push_back(0x78);
  out->push_back(0x5E);
  out->insert(out->end(), first.begin(), first.end());
  out->insert(out->end(), second.begin(), second.end());
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(adler >> shift));
}

uint32_t Adler32(const uint8_t* data, size_t size) {
  return libdeflate_adler32(1, data, size);
}

bool ZlibCompress(const uint8_t* data, size_t size, int level, std::vector<uint8_t>* out) {
  if (size <= kSplitAbove || std::thread::hardware_concurrency() < 2) {
    Compressor c(libdeflate_alloc_compressor(level));
    if (!c) return false;
    out->resize(libdeflate_zlib_compress_bound(c.get(), size));
    const size_t n = libdeflate_zlib_compress(c.get(), data, size, out->data(), out->size());
    out->resize(n);
    return n != 0;
  }
  // The first part does the more work (it is searched again afterwards): it gets a bit less.
  const size_t split = size * 9 / 20;
  std::vector<uint8_t> first, second;
  bool firstDone = false;
  std::thread worker([&] {
    try {
      firstDone = DeflatePart(data, split, level, true, &first);
    } catch (const std::bad_alloc&) {
    }
  });
  bool secondDone = false;
  try {
    secondDone = DeflatePart(data + split, size - split, level, false, &second);
  } catch (const std::bad_alloc&) {
  }
  worker.join();
  const uint32_t adler = Adler32(data, size);
  if (!firstDone || !secondDone) return false;
  JoinZlibStream(first, second, adler, out);
  return true;
}

}  // namespace lanterna
