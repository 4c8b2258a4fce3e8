// The program's version record, stored in the program file itself, and ProjectRCVersion,
// which reads it back from a program file the way the about box needs.
#pragma once

#include <string>
#include <vector>

namespace lanterna {

class ProjectRCVersion {
 public:
  // Reads the version information of the program file moduleFile (none when it has none).
  explicit ProjectRCVersion(const std::string& moduleFile);
  bool HasBlock() const { return !block_.empty(); }
  // Each returns true and the value when the key is found.
  bool ReadProductName(std::string& value) const;
  bool ReadProductVersion(std::string& value) const;
  bool ReadLegalCopyright(std::string& value) const;
  bool ReadSpecialBuild(std::string& value) const;
  // Any query path, such as "\StringFileInfo\040904E4\FileVersion".
  bool QueryValue(const std::string& path, std::string& value) const;

 private:
  bool Read(const char* key, std::string& value) const;
  std::vector<char> block_;  // path NUL value NUL ...
};

// The running program's file.
std::string ModuleFileName();

}  // namespace lanterna
