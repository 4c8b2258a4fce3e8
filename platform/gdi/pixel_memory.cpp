// Pixel memory, always handed out zeroed so that a new bitmap needs no clearing pass. Big
// bitmaps are mapped directly, in huge pages where the system has them.
#include <cstdint>
#include <cstdlib>
#include <new>

#include "platform/gdi/deferred_drawing.h"
#include "platform/gdi/gdi.h"

// Not in WebAssembly: there a mapping is memory taken from the heap, which a partial unmap
// (the huge-page alignment's) never gives back, so every bitmap would be lost.
#if __has_include(<sys/mman.h>) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#define LANTERNA_HAVE_MMAP 1
#endif

namespace gdi {

namespace {

constexpr size_t kHugeThreshold = size_t{2} << 20;
constexpr size_t kPopulateThreshold = size_t{128} << 10;
// Big bitmaps are mapped on whole huge pages: a mapping that starts or ends inside one gets
// ordinary pages there, each a page fault of its own (a thousand for 1920 x 1440 pixels).
constexpr size_t kHugePage = size_t{2} << 20;

size_t MappedSize(size_t bytes) {
  return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

}  // namespace

void* AllocatePixels(size_t bytes) {
#ifdef LANTERNA_HAVE_MMAP
  if (bytes >= kHugeThreshold) {
    // Mapped one huge page longer, then cut to start on a huge page boundary.
    const size_t size = MappedSize(bytes);
    void* p = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                     -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    auto* start = static_cast<char*>(p);
    const size_t lead = (kHugePage - reinterpret_cast<uintptr_t>(start) % kHugePage) % kHugePage;
    if (lead) ::munmap(start, lead);
    ::munmap(start + lead + size, kHugePage - lead);
#ifdef MADV_HUGEPAGE
    ::madvise(start + lead, size, MADV_HUGEPAGE);
#endif
    return start + lead;
  }
#if defined(MAP_POPULATE) && !defined(__EMSCRIPTEN__)
  if (bytes >= kPopulateThreshold) {
    // All pages at once: a page fault each, the first time a pixel of it is set, costs more
    // here than setting all its pixels.
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    return p;
  }
#endif
#endif
  if (void* p = std::calloc(bytes ? bytes : 1, 1)) return p;
  throw std::bad_alloc();
}

void FreePixels(void* p, size_t bytes) {
  raster::SettleDrawing();  // nothing put off may be drawn on freed memory
#ifdef LANTERNA_HAVE_MMAP
  if (bytes >= kHugeThreshold) {
    ::munmap(p, MappedSize(bytes));
    return;
  }
#if defined(MAP_POPULATE) && !defined(__EMSCRIPTEN__)
  if (bytes >= kPopulateThreshold) {
    ::munmap(p, bytes);
    return;
  }
#endif
#endif
  std::free(p);
}

}  // namespace gdi
