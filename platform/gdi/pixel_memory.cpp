// Pixel memory, always handed out zeroed so that a new bitmap needs no clearing pass. Big
// bitmaps are mapped directly, in huge pages where the system has them.
#include <cstdlib>
#include <new>

#include "platform/gdi/deferred_drawing.h"
#include "platform/gdi/gdi.h"

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#define LANTERNA_HAVE_MMAP 1
#endif

namespace gdi {

namespace {
constexpr size_t kHugeThreshold = size_t{4} << 20;
}  // namespace

void* AllocatePixels(size_t bytes) {
#ifdef LANTERNA_HAVE_MMAP
  if (bytes >= kHugeThreshold) {
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    ::madvise(p, bytes, MADV_HUGEPAGE);
#endif
    return p;
  }
#endif
  if (void* p = std::calloc(bytes ? bytes : 1, 1)) return p;
  throw std::bad_alloc();
}

void FreePixels(void* p, size_t bytes) {
  raster::SettleDrawing();  // nothing put off may be drawn on freed memory
#ifdef LANTERNA_HAVE_MMAP
  if (bytes >= kHugeThreshold) {
    ::munmap(p, bytes);
    return;
  }
#endif
  std::free(p);
}

}  // namespace gdi
