#include "slide/library.h"

#include <algorithm>
#include <cstring>

#include "platform/exten.h"
#include "platform/file_open.h"
#include "slide/loader.h"
#include "slide/slide_kind.h"

namespace lanterna {

const char kLibrarySignature[] = "AutoCAD Slide Library 1.0\r\n\x1a";

void TrimmedName(const uint8_t field[kLibraryNameLength], char out[kLibraryNameLength + 1]) {
  std::memcpy(out, field, kLibraryNameLength);
  out[kLibraryNameLength] = 0;
  size_t n = std::strlen(out);
  while (n > 0 && out[n - 1] == ' ') out[--n] = 0;
}

namespace {

struct Entry {
  char name[kLibraryNameLength + 1] = {};
  uint32_t offset = 0;
  size_t offsetBytes = 0;  // how many bytes of the offset the file delivered
};

Entry ReadEntry(std::FILE* file) {
  uint8_t raw[kLibraryEntryLength] = {};
  Entry e;
  size_t got = std::fread(raw, 1, kLibraryNameLength, file);
  if (got == kLibraryNameLength) e.offsetBytes = std::fread(raw + kLibraryNameLength, 1, 4, file);
  TrimmedName(raw, e.name);
  const uint8_t* o = raw + kLibraryNameLength;
  e.offset = static_cast<uint32_t>(o[0] | o[1] << 8 | o[2] << 16) | static_cast<uint32_t>(o[3])
                                                                        << 24;
  return e;
}

// A member's name is bytes of 0x20 to 0xFF but DEL (CAD programs store names in the code page
// of the system they ran on, Big5 or Windows-1252 alike) and its data starts after the
// directory's first entry and before the end of the file; anything else is random data or a
// damaged directory, and the directory is not read past it.
bool PlausibleEntry(const Entry& e, uint64_t fileSize) {
  for (const char* c = e.name; *c; ++c)
    if (static_cast<unsigned char>(*c) < 0x20 || static_cast<unsigned char>(*c) == 0x7F)
      return false;
  return e.offsetBytes == 4 && e.offset >= kLibraryHeaderLength + kLibraryEntryLength &&
         e.offset < fileSize;
}

}  // namespace

bool HasLibrarySignature(const uint8_t header[kLibraryHeaderLength]) {
  return std::memcmp(header, kLibrarySignature, std::strlen(kLibrarySignature)) == 0;
}

MemberLocation FindMember(std::FILE* file, const char* upperName, uint64_t fileSize) {
  MemberLocation where;
  uint8_t header[kLibraryHeaderLength];
  if (std::fread(header, 1, sizeof header, file) != sizeof header) return where;
  if (!HasLibrarySignature(header)) return where;

  Entry e;
  for (;;) {
    e = ReadEntry(file);
    if (e.name[0] != 0 && !PlausibleEntry(e, fileSize)) return where;
    const std::string name = UpperCasedName(e.name);
    std::strcpy(e.name, name.c_str());
    if (e.name[0] == 0 || e.offsetBytes == 0 || std::strcmp(e.name, upperName) == 0) break;
  }
  // An entry cut short by the end of the file has no usable offset.
  if (e.name[0] == 0 || e.offsetBytes < 4 || std::strcmp(e.name, upperName) != 0) return where;

  const uint64_t offset = std::min<uint64_t>(e.offset, fileSize);
  Entry next = ReadEntry(file);
  uint64_t end = fileSize;  // the last member runs to the end of the file
  if (next.name[0] != 0 && next.offsetBytes == 4) end = std::min<uint64_t>(next.offset, fileSize);
  where.found = true;
  where.offset = static_cast<uint32_t>(offset);
  where.length = end > offset ? static_cast<uint32_t>(end - offset) : 0;
  return where;
}

namespace {

// The listing under way, shared by every caller.
struct Listing {
  bool active = false;
  std::FILE* stream = nullptr;
  long position = 0;
  ListingEnd end = ListingEnd::kComplete;
};

Listing& CurrentListing() {
  static thread_local Listing listing;
  return listing;
}

}  // namespace

ListingEnd LastListingEnd() {
  return CurrentListing().end;
}

int MemberIterator(const char* path, char* buffer) {
  Listing& l = CurrentListing();
  bool starting = !l.active;
  auto finish = [&](ListingEnd end) {
    if (l.stream) std::fclose(l.stream);
    l.stream = nullptr;
    l.active = false;
    l.end = end;
    return 0;
  };
  if (starting) {
    l.stream = platform::OpenRegularFile(path);
  } else if (!l.stream || std::ftell(l.stream) < 0) {
    if (l.stream) std::fclose(l.stream);
    l.stream = platform::OpenRegularFile(path);
    if (l.stream) std::fseek(l.stream, l.position, SEEK_SET);
  }
  if (!l.stream) {
    // "File Not Found" only for a file that is not there; a folder or a file the user may not
    // read is told as such.
    if (platform::IsMissing(path))
      platform::ShowErrorBox(Loader().owner, path, "File Not Found", 0);
    else
      platform::ShowErrorBox(Loader().owner,
                             (std::string(path) + ": " + platform::WhyNotOpened(path)).c_str(),
                             "Error", 0);
    buffer[0] = 0;
    return finish(ListingEnd::kCannotOpen);
  }
  if (starting) {
    l.active = true;
    uint8_t header[kLibraryHeaderLength] = {};
    if (std::fread(header, 1, sizeof header, l.stream) != sizeof header ||
        !HasLibrarySignature(header)) {
      buffer[0] = 0;
      return finish(ListingEnd::kNotLibrary);
    }
  }
  Entry e = ReadEntry(l.stream);
  l.position = std::ftell(l.stream);
  if (e.name[0] != 0 && !PlausibleEntry(e, platform::OpenFileSize(l.stream))) {
    buffer[0] = 0;
    return finish(ListingEnd::kDamaged);
  }
  std::strcpy(buffer, e.name);
  if (e.name[0] == 0 || std::feof(l.stream) || e.offsetBytes < 4)
    return finish(ListingEnd::kComplete);
  return 1;
}

}  // namespace lanterna
