// Slide libraries: member lookup by name and the listing of member names.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace lanterna {

constexpr uint32_t kLibraryHeaderLength = 32;
constexpr uint32_t kLibraryEntryLength = 36;
constexpr uint32_t kLibraryNameLength = 32;
extern const char kLibrarySignature[];  // "AutoCAD Slide Library 1.0" CR LF 0x1A

struct MemberLocation {
  bool found = false;
  uint32_t offset = 0;
  uint32_t length = 0;
};

// Looks up an upper-cased member name in an open library; the length is kept within the file.
MemberLocation FindMember(std::FILE* file, const char* upperName, uint64_t fileSize);

// Yields the next member name (trailing blanks removed, case as stored) into buffer (33 bytes
// or more): 1, or 0 when the listing has ended. One listing runs at a time.
int MemberIterator(const char* path, char* buffer);

// Why the last listing ended: at the terminating entry, or early because the file is no library
// (no signature), could not be opened, or holds an entry that cannot be a member (a name with
// unprintable characters, data outside the file). Callers that listed on the user's behalf say so.
enum class ListingEnd { kComplete, kCannotOpen, kNotLibrary, kDamaged };
ListingEnd LastListingEnd();

// The 32-byte header starts with the library signature.
bool HasLibrarySignature(const uint8_t header[kLibraryHeaderLength]);

// Reads a 32-byte name field: NUL-terminated within 33 bytes, trailing blanks removed.
void TrimmedName(const uint8_t field[kLibraryNameLength], char out[kLibraryNameLength + 1]);

}  // namespace lanterna
