// Opening files for reading without ever blocking on something that is not a plain file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// Opens path for binary reading only when it is a regular file (symbolic links followed).
// A FIFO, device, directory, dangling link or missing file gives nullptr at once: the open
// itself does not wait for a writer, and the kind is checked on the opened descriptor, so a
// file swapped between a check and the open cannot slip through.
std::FILE* OpenRegularFile(const char* path);

// Why OpenRegularFile gives nullptr for path, in a few words: "no such file", "a directory",
// "not a regular file", or the system's reason ("Permission denied").
std::string WhyNotOpened(const char* path);
bool IsMissing(const char* path);

// The size of an open file, 0 when it cannot be told.
uint64_t OpenFileSize(std::FILE* file);

// What tells one version of a file from the next: any write, truncation, rename over it or
// change of its status changes one of these.
struct FileStamp {
  uint64_t device = 0, inode = 0, size = 0;
  int64_t modifiedNs = 0, changedNs = 0;
  bool operator==(const FileStamp&) const = default;
};
// A file that cannot be looked at has the empty stamp, which no file has.
FileStamp PathStamp(const char* path);
FileStamp OpenFileStamp(std::FILE* file);

}  // namespace platform
