// How lanterna-cli shows member names and takes them from its arguments: stored bytes decoded
// with the code page of --names (by default UTF-8 where valid, else Windows-1252), and typed
// names matched against the stored ones or encoded back.
#pragma once

#include <string>
#include <vector>

#include "output/slide_name.h"

namespace lanterna {

// The code page of --names for this run; empty for the default.
std::string& NameCodePage();

// A stored name as UTF-8 text for messages and file names.
std::string ShownName(const std::string& stored);
// "LIBRARY,MEMBER" as messages name a member.
std::string ShownLabel(const SlideName& slide);

// The stored names of a library, in directory order; false (with the listing's message) when
// the listing ended before the terminating entry. Silent when the file cannot be opened.
bool StoredNames(const std::string& library, std::vector<std::string>* names);

// The stored bytes of a member named on the command line: a stored name equal to it in the
// case rule of lookups, else one whose shown name is, else the name encoded in the code page.
std::string StoredMemberName(const std::string& library, const std::string& given);

// "FILE[,MEMBER]" with the member resolved to its stored bytes.
SlideName ParseSlideArg(const std::string& text);

// A new member name (create, add, rename) as it will be stored: encoded in the code page and
// within 31 bytes; false with why not.
bool NewMemberName(const std::string& given, std::string* stored, std::string* problem);

}  // namespace lanterna
