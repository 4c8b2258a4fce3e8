#include "dialogs/version_record.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "lanterna_version.h"

namespace lanterna {

namespace {

// The record in the file: a marker, then path/value pairs, each NUL-terminated, ended by an
// empty path. The marker is assembled at run time when searching, so the only complete copy
// in the file is the record's own.
constexpr char kRecord[] =
    "LNTVERINFO:RECORD\0"
    "\\VS_FIXEDFILEINFO\\FileVersion\0"
    "2.0.0.1\0"
    "\\VS_FIXEDFILEINFO\\ProductVersion\0"
    "2.0.0.0\0"
    "\\StringFileInfo\\040904E4\\CompanyName\0"
    "Quelna\0"
    "\\StringFileInfo\\040904E4\\FileDescription\0"
    "Autocad Slide Viewer for World Wide Web\0"
    "\\StringFileInfo\\040904E4\\FileVersion\0"
    "2.1.001\0"
    "\\StringFileInfo\\040904E4\\InternalName\0"
    "Lanterna\0"
    "\\StringFileInfo\\040904E4\\LegalCopyright\0"
    "Copyright (C) Quelna. Free to use and to pass on.\0"
    "\\StringFileInfo\\040904E4\\OriginalFilename\0"
    "lanterna.exe\0"
    "\\StringFileInfo\\040904E4\\ProductName\0"
    "Quelna's Slide Viewer for WWW\0"
    "\\StringFileInfo\\040904E4\\ProductVersion\0" LANTERNA_VERSION
    "\0";  // the build's version; the literal's own NUL ends the list
constexpr size_t kMaxRecord = 64 * 1024;

std::string Marker() {
  std::string m = "LNTVERINFO";
  m += ":RECORD";
  m += '\0';
  return m;
}

}  // namespace

// Kept in the file even though only the reader refers to it.
[[gnu::used]] static const char* const kRecordInFile = kRecord;

std::string ModuleFileName() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  path[n] = '\0';
  return path;
}

ProjectRCVersion::ProjectRCVersion(const std::string& moduleFile) {
  (void)kRecordInFile;
  std::ifstream in(moduleFile, std::ios::binary);
  if (!in) return;
  const std::vector<char> file((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
  const std::string marker = Marker();
  auto at = std::search(file.begin(), file.end(), marker.begin(), marker.end());
  if (at == file.end()) return;
  // The pairs run to the first empty path.
  auto begin = at + static_cast<long>(marker.size());
  auto end = begin;
  const auto limit = file.end() - begin > static_cast<long>(kMaxRecord)
                         ? begin + static_cast<long>(kMaxRecord)
                         : file.end();
  while (end != limit && *end != '\0') {
    for (int part = 0; part < 2 && end != limit; ++part) {
      end = std::find(end, limit, '\0');
      if (end != limit) ++end;
    }
  }
  block_.assign(begin, end);
}

bool ProjectRCVersion::QueryValue(const std::string& path, std::string& value) const {
  size_t i = 0;
  while (i < block_.size()) {
    const char* key = &block_[i];
    const size_t keyLen = strnlen(key, block_.size() - i);
    const size_t valueAt = i + keyLen + 1;
    if (valueAt >= block_.size()) return false;
    const char* v = &block_[valueAt];
    const size_t valueLen = strnlen(v, block_.size() - valueAt);
    if (path == std::string(key, keyLen)) {
      value.assign(v, valueLen);
      return true;
    }
    i = valueAt + valueLen + 1;
  }
  return false;
}

bool ProjectRCVersion::Read(const char* key, std::string& value) const {
  if (block_.empty()) return false;
  char path[128];
  std::snprintf(path, sizeof path, "\\StringFileInfo\\040904E4\\%s", key);
  return QueryValue(path, value);
}

bool ProjectRCVersion::ReadProductName(std::string& v) const {
  return Read("ProductName", v);
}
bool ProjectRCVersion::ReadProductVersion(std::string& v) const {
  return Read("ProductVersion", v);
}
bool ProjectRCVersion::ReadLegalCopyright(std::string& v) const {
  return Read("LegalCopyright", v);
}
bool ProjectRCVersion::ReadSpecialBuild(std::string& v) const {
  return Read("SpecialBuild", v);
}

}  // namespace lanterna
