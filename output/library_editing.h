// Editing a slide library from a window: adding slide files or other libraries' members,
// removing and renaming members, each written through the library writer (the library is
// replaced in one step or left byte for byte as it was), and undoing the last edit.
#pragma once

#include <string>
#include <vector>

#include "platform/window.h"

namespace lanterna {

struct LibraryEditOutcome {
  bool written = false;
  std::string problem;  // why nothing changed, for the user
};

// Sources are slide files, whole libraries (every member) or "LIBRARY,MEMBER" entries. A file
// goes in under its base name encoded in codePage (empty: as it is); a member keeps its name.
// A name already in the library, a source that is no complete slide or a name that cannot be
// stored refuses the whole edit.
LibraryEditOutcome AddToLibrary(platform::HWND owner, const std::string& library,
                                const std::vector<std::string>& sources,
                                const std::string& codePage);
// Members by their stored names.
LibraryEditOutcome RemoveFromLibrary(platform::HWND owner, const std::string& library,
                                     const std::vector<std::string>& members);
// newName is UTF-8 text, stored encoded in codePage.
LibraryEditOutcome RenameInLibrary(platform::HWND owner, const std::string& library,
                                   const std::string& member, const std::string& newName,
                                   const std::string& codePage);

// The library as it was before the last edit, in a private copy, to be written back.
class LibraryUndo {
 public:
  LibraryUndo() = default;
  ~LibraryUndo();
  LibraryUndo(const LibraryUndo&) = delete;
  LibraryUndo& operator=(const LibraryUndo&) = delete;

  // Copies the library's bytes before an edit; false (with nothing kept) when it cannot.
  bool Keep(const std::string& library);
  bool Available() const { return !copy_.empty(); }
  // The copy's members written back over the library; the copy is gone once written.
  LibraryEditOutcome Restore(platform::HWND owner);
  void Drop();
  // Takes the other's copy (the other keeps none), dropping its own.
  void TakeOver(LibraryUndo& other);

 private:
  std::string library_;
  std::string copy_;
};

}  // namespace lanterna
