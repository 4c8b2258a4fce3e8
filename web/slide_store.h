// The slides a page has handed over, kept as files in the module's memory file system (the
// loader reads slides by name), each named for the kind its first bytes show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lanterna {

struct StoredSlide {
  std::string path;
  int kind = 0;  // kKindSlide, kKindLibrary or kKindRendering
};

// The kind a file's first bytes show; anything else is taken as a vector slide, which the loader
// refuses unless it is one.
int KindOfBytes(const uint8_t* data, size_t length);

// Keeps the bytes; the slide's id, 0 when they cannot be kept.
int StoreSlide(const uint8_t* data, size_t length);
const StoredSlide* FindSlide(int id);  // null for an unknown id
void DropSlide(int id);

}  // namespace lanterna
