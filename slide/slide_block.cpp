#include "slide/slide_block.h"

#include <csetjmp>
#include <csignal>
#include <cstdlib>
#include <cstring>

#if !defined(__EMSCRIPTEN__) && __has_include(<sys/mman.h>)
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(MAP_POPULATE)
#define LANTERNA_MAP_SLIDES 1
#endif
#endif

namespace lanterna {

namespace {

constexpr size_t kMapAtOnce = size_t{256} << 10;

#if LANTERNA_MAP_SLIDES
// A file cut short by another program while it is copied from its mapping raises SIGBUS on
// the pages gone; the copy then stops and the caller reads what is left the ordinary way. The
// signal comes to the thread that touched the page: each thread that draws has its own jump
// back, and the handler, installed once, passes on any other SIGBUS as the system would.
thread_local sigjmp_buf tCopyFault;
thread_local volatile sig_atomic_t tCopying = 0;
struct sigaction gOtherFault;

void OnCopyFault(int signal) {
  if (tCopying) siglongjmp(tCopyFault, 1);
  ::sigaction(SIGBUS, &gOtherFault, nullptr);
  ::raise(signal);
}

bool InstallFaultGuard() {
  static const bool installed = [] {
    struct sigaction guard {};
    guard.sa_handler = OnCopyFault;
    sigemptyset(&guard.sa_mask);
    return ::sigaction(SIGBUS, &guard, &gOtherFault) == 0;
  }();
  return installed;
}

bool CopyGuarded(uint8_t* to, const uint8_t* from, size_t size) {
  if (!InstallFaultGuard()) return false;
  volatile bool copied = false;
  if (sigsetjmp(tCopyFault, 1) == 0) {
    tCopying = 1;
    std::memcpy(to, from, size);
    copied = true;
  }
  tCopying = 0;
  return copied;
}

// The whole of size bytes from the file's position, copied from a mapping of the file.
bool ReadMapped(std::FILE* file, uint8_t* to, size_t size) {
  const long at = std::ftell(file);
  const int fd = ::fileno(file);
  struct stat st {};
  if (at < 0 || fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (static_cast<uint64_t>(st.st_size) < static_cast<uint64_t>(at) + size) return false;
  const long page = ::sysconf(_SC_PAGESIZE);
  if (page <= 0) return false;
  const off_t base = at / page * page;
  const size_t length = static_cast<size_t>(at - base) + size;
  void* map = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, base);
  if (map == MAP_FAILED) return false;
  const bool copied = CopyGuarded(to, static_cast<const uint8_t*>(map) + (at - base), size);
  ::munmap(map, length);
  if (copied) std::fseek(file, at + static_cast<long>(size), SEEK_SET);
  return copied;
}
#endif

}  // namespace

uint8_t* SlideBlock::Allocate(size_t size) {
  Free();
  requested_ = size;
  size_ = size ? size : 1;
#if LANTERNA_MAP_SLIDES
  if (size_ >= kMapAtOnce) {
    void* p = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    mapped_ = p != MAP_FAILED;
    if (mapped_) return data_ = static_cast<uint8_t*>(p);
  }
#endif
  return data_ = static_cast<uint8_t*>(std::calloc(size_, 1));
}

size_t SlideBlock::Read(std::FILE* file) {
  if (!data_) return 0;
#if LANTERNA_MAP_SLIDES
  if (requested_ >= kMapAtOnce && ReadMapped(file, data_, requested_)) return requested_;
#endif
  return std::fread(data_, 1, requested_, file);
}

void SlideBlock::Free() {
#if LANTERNA_MAP_SLIDES
  if (mapped_) ::munmap(data_, size_);
#endif
  if (!mapped_) std::free(data_);
  data_ = nullptr;
  mapped_ = false;
}

}  // namespace lanterna
