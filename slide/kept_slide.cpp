#include "slide/kept_slide.h"

#include <atomic>
#include <cstring>

#include "slide/library.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

std::atomic<uint64_t>& KeptTotal() {
  static std::atomic<uint64_t> total{0};
  return total;
}

// Reads the slide (or member) into kept; false when it cannot be kept, whatever the reason.
bool ReadKept(KeptSlide* kept, const char* path, const std::string& upperMember) {
  const int kind = SlideKindOf(path);
  if (kind == kKindNone) return false;
  std::FILE* file = platform::OpenRegularFile(path);
  if (!file) return false;
  const platform::FileStamp stamp = platform::OpenFileStamp(file);
  const uint64_t fileSize = platform::OpenFileSize(file);
  uint64_t offset = 0, length = fileSize;
  if (kind == kKindLibrary) {
    const MemberLocation where = FindMember(file, upperMember.c_str(), fileSize);
    offset = where.offset;
    length = where.found ? where.length : 0;
  }
  auto block = std::make_unique<SlideBlock>();
  const bool keepable =
      length > 0 && length <= kKeptSlideLimit && KeptTotal().load() + length <= kKeptSlidesBudget &&
      std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 && block->Allocate(length);
  if (keepable) block->Read(file);  // a short read leaves the rest zero, as the loader's does
  std::fclose(file);
  if (!keepable) return false;
  kept->block = std::move(block);
  kept->size = static_cast<uint32_t>(length);
  kept->kind = kind;
  kept->path = path;
  kept->member = upperMember;
  kept->stamp = stamp;
  ++kept->reads;
  KeptTotal() += length;
  return true;
}

}  // namespace

void KeptSlide::Drop() {
  if (block) KeptTotal() -= size;
  block.reset();
  size = 0;
}

uint64_t KeptSlideBytes() {
  return KeptTotal().load();
}

int32_t ShowIconKept(KeptSlide* kept, platform::HWND owner, const char* path, char* member,
                     uint32_t mode, gdi::HDC dc, gdi::RECT* rect, ViewState* view,
                     SlidePalette* palette, SlideInfo* info) {
  std::string upperMember;
  if (member) {
    upperMember = UpperCasedName(member);
    std::memcpy(member, upperMember.c_str(), upperMember.size());
  }
  const bool fresh = !view || view->reached == 0;
  const bool same = kept->block && path && kept->path == path && kept->member == upperMember;
  if (!same || (fresh && platform::PathStamp(path) != kept->stamp)) {
    kept->Drop();
    if (!path || !ReadKept(kept, path, upperMember))
      return ShowIcon(owner, path, member, mode, nullptr, dc, rect, nullptr, view, palette, info);
  }
  return ShowIconData(owner, kept->kind, kept->block->get(), kept->size, mode, dc, rect, view,
                      palette, info);
}

}  // namespace lanterna
