// The library entries of lanterna-cli's arguments, and why the library writer refused one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lanterna {

// The writer's list texts for one argument (FILE, LIB,MEMBER, or a whole LIB); false, with a
// message, when the argument cannot be one. A typed member name is taken to its stored bytes.
bool AddEntries(const std::string& arg, std::vector<std::string>* list);

// The name each entry goes in under, as stored: a member keeps its bytes; a slide file's base
// name is encoded in the code page of --names. False, with a message naming each, when a name
// cannot be encoded or is longer than a member name may be.
bool EntryNames(const std::vector<std::string>& list, std::vector<std::string>* names);

// Every entry read through to its end: false, with a message naming each, for one that is no
// slide or whose data ends early. A library keeps only complete slides.
bool CompleteEntries(const std::vector<std::string>& list);

// Tells why the writer could not take one entry.
void ReportFailure(const std::string& entry, int32_t result);

}  // namespace lanterna
