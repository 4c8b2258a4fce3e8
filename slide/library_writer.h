// Writing a slide library from an ordered list of slide files and library members.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

namespace lanterna {

// A member name and its uniqueness suffix fit in 31 characters: the 32-byte field keeps a NUL.
constexpr size_t kMaxMemberName = 31;

// "LIBRARY,MEMBER" (split at the first comma), or a slide file whose base name is the member.
struct ListEntry {
  std::string library;  // empty for a single slide file
  std::string member;
};
ListEntry SplitListEntry(const std::string& entry);

// The file a library path stands for: through symbolic links, the library they lead to.
std::string LibraryTarget(const std::string& libraryPath);
// The pattern of the library's temporary file, beside the file it replaces: its name, then
// ".~SB" and six characters that make it unique (two writers never share one).
std::string TemporaryLibraryPattern(const std::string& target);

// The name entry i of the first `entries` items of list is written under: its member name,
// shortened to fit, with "_A", "_B"... when another entry gives the same name. The names it
// makes are appended to list, where the names of later entries are tested against them.
// Empty when no name can be made.
std::string UniqueMemberName(std::vector<std::string>& list, size_t entries, size_t i);

// An entry that could not be written, and why: the loader's negative result, or one of these.
constexpr int32_t kNoMemberName = -100;  // nothing to name it by, or the suffixes ran out
constexpr int32_t kChangedSize = -101;   // its bytes did not match the size measured first
constexpr int32_t kTooLarge = -102;      // the library would pass 2 GiB
struct EntryFailure {
  size_t entry;
  int32_t result;
};

// What went wrong with one entry, for messages ("not a slide", "cannot be opened"...).
const char* EntryFailureText(int32_t result);

struct LibraryWriteResult {
  bool written = false;            // the library now holds the list; open it from here
  std::string library;             // the library's path
  std::string temporary;           // where it was built (empty when it could not be made)
  std::vector<std::string> names;  // entry by entry, the member names written
  std::vector<EntryFailure> failures;
  int ioError = 0;  // errno of a failed create, write, flush, sync or rename of the file
};

// Writes the entries of list, in order, into libraryPath through its temporary file, which
// replaces the library in one step once complete and on disk; any failure shows "Error
// writing Slide Library" and leaves the library as it was. A symbolic link keeps leading to the
// library, which keeps its mode, owner and group where the user may set them; a library with
// other hard links is rewritten in place once the new one is complete. A library the user may
// not write is refused (EACCES), as a folder's write permission alone does not allow it. With
// autoDelete, the single slide files of the list are deleted after a successful write. list
// receives the names the uniqueness pass adds. With givenNames (one per entry, already checked by
// the caller), entry i is written under givenNames[i] as it is: editing a library keeps its
// members' names.
LibraryWriteResult WriteSlideLibrary(platform::HWND owner, const std::string& libraryPath,
                                     std::vector<std::string>& list, bool autoDelete,
                                     const std::vector<std::string>* givenNames = nullptr);

}  // namespace lanterna
