// The memory a slide's bytes are read into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace lanterna {

// A slide's bytes, zeroed past what the file gives. Touching fresh memory page by page, and
// the kernel copying a file page by page, each cost more on a virtual machine than decoding
// the records: a big block is mapped with all its pages at once, and a big file's bytes are
// copied from a mapping of the file instead of read.
class SlideBlock {
 public:
  SlideBlock() = default;
  SlideBlock(const SlideBlock&) = delete;
  SlideBlock& operator=(const SlideBlock&) = delete;
  ~SlideBlock() { Free(); }

  // size bytes (at least 1), all zero; nullptr when there is not the memory.
  uint8_t* Allocate(size_t size);
  // Up to the block's size from the file's position on; how many bytes it gave.
  size_t Read(std::FILE* file);
  uint8_t* get() const { return data_; }

 private:
  void Free();

  uint8_t* data_ = nullptr;
  size_t requested_ = 0;
  size_t size_ = 0;
  bool mapped_ = false;
};

}  // namespace lanterna
