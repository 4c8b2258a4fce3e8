#include "web/slide_store.h"

#include <cstdio>
#include <map>

#include "render/rendering.h"
#include "slide/library.h"
#include "slide/slide_types.h"

namespace lanterna {

namespace {

std::map<int, StoredSlide>& Slides() {
  static std::map<int, StoredSlide> slides;
  return slides;
}

}  // namespace

int KindOfBytes(const uint8_t* data, size_t length) {
  if (length >= kLibraryHeaderLength && HasLibrarySignature(data)) return kKindLibrary;
  RenderingHeader header;
  if (ParseRenderingHeader(data, static_cast<uint32_t>(length), &header)) return kKindRendering;
  return kKindSlide;
}

int StoreSlide(const uint8_t* data, size_t length) {
  static int next = 0;
  const int id = ++next;
  StoredSlide slide;
  slide.kind = KindOfBytes(data, length);
  const char* ext = slide.kind == kKindLibrary     ? "slb"
                    : slide.kind == kKindRendering ? "rnd"
                                                   : "sld";
  slide.path = "/slide" + std::to_string(id) + "." + ext;
  std::FILE* f = std::fopen(slide.path.c_str(), "wb");
  const bool written = f && std::fwrite(data, 1, length, f) == length;
  const bool closed = f && std::fclose(f) == 0;
  if (!written || !closed) {
    std::remove(slide.path.c_str());
    return 0;
  }
  Slides()[id] = slide;
  return id;
}

const StoredSlide* FindSlide(int id) {
  auto it = Slides().find(id);
  return it == Slides().end() ? nullptr : &it->second;
}

void DropSlide(int id) {
  if (const StoredSlide* s = FindSlide(id)) std::remove(s->path.c_str());
  Slides().erase(id);
}

}  // namespace lanterna
