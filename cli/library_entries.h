// The library entries of lanterna-cli's arguments, and why the library writer refused one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lanterna {

// The writer's list texts for one argument (FILE, LIB,MEMBER, or a whole LIB); false, with a
// message, when the argument cannot be one.
bool AddEntries(const std::string& arg, std::vector<std::string>* list);

// Tells why the writer could not take one entry.
void ReportFailure(const std::string& entry, int32_t result);

}  // namespace lanterna
