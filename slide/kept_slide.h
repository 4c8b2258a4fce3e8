// A window's slide kept in memory between its drawings: a zoom, a pan or a resumed drawing
// draws from the bytes read the first time, until the file changes on disk.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_open.h"
#include "slide/loader.h"
#include "slide/slide_block.h"

namespace lanterna {

// Larger slides are read again for every drawing, as is every slide once all windows together
// keep this much.
constexpr uint64_t kKeptSlideLimit = 64ull << 20;
constexpr uint64_t kKeptSlidesBudget = 256ull << 20;

struct KeptSlide {
  std::unique_ptr<SlideBlock> block;
  uint32_t size = 0;
  int kind = 0;
  std::string path, member;  // the member's name upper-cased, as the loader looks it up
  platform::FileStamp stamp;
  uint32_t reads = 0;  // how many times the file has been read for it

  KeptSlide() = default;
  KeptSlide(const KeptSlide&) = delete;
  KeptSlide& operator=(const KeptSlide&) = delete;
  ~KeptSlide() { Drop(); }
  void Drop();
};

// Bytes all kept slides hold now.
uint64_t KeptSlideBytes();

// ShowIcon for a window that keeps its slide: the same result, the same pixels. A fresh drawing
// (no view, or nothing of it drawn yet) looks at the file first and reads it again when it has
// changed; a drawing carried on uses the bytes it began with. A slide that cannot be kept, or
// read, goes through ShowIcon, which says why.
int32_t ShowIconKept(KeptSlide* kept, platform::HWND owner, const char* path, char* member,
                     uint32_t mode, gdi::HDC dc, gdi::RECT* rect, ViewState* view,
                     SlidePalette* palette, SlideInfo* info);

}  // namespace lanterna
