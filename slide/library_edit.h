// Editing a slide library in place: the member list after adding, removing or renaming, ready
// for the library writer, which replaces the library in one step or leaves it as it was.
#pragma once

#include <string>
#include <vector>

namespace lanterna {

// The library as it will be written: writer entries ("LIBRARY,MEMBER" or a slide file) and the
// name each is written under, in member order.
struct LibraryPlan {
  std::vector<std::string> list;
  std::vector<std::string> names;
};

// The members of library, in directory order, each taken from the library itself. An empty
// text, or why the library cannot be edited (not readable, not a library, damaged).
std::string ReadLibraryPlan(const std::string& library, LibraryPlan* plan);

// A name that can be looked up and listed: 1 to 31 bytes, no control character, DEL or blank
// (lists of names are blank-separated) and no comma (it ends the library path in an entry).
bool IsMemberName(const std::string& name);

// Each returns an empty text when the edit is made on plan, else what prevents it (plan is
// then of no use). Names are compared as lookups compare them, upper-cased.
// Appends the writer entries (their names from the member or the file's base name); a name
// already there is refused, or with replace takes that member's place.
// With names, entry i goes in under names[i] instead (the name as stored).
std::string PlanAdd(LibraryPlan* plan, const std::vector<std::string>& entries, bool replace,
                    const std::vector<std::string>* names = nullptr);
std::string PlanRemove(LibraryPlan* plan, const std::vector<std::string>& members);
std::string PlanRename(LibraryPlan* plan, const std::string& from, const std::string& to);

}  // namespace lanterna
