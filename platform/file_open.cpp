#include "platform/file_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

std::FILE* OpenRegularFile(const char* path) {
  if (!path || !*path) return nullptr;
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  // Plain files never block; clear the flag so reads behave as usual all the same.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (!file) ::close(fd);
  return file;
}

bool IsMissing(const char* path) {
  struct stat st;
  return !path || !*path || (::stat(path, &st) != 0 && (errno == ENOENT || errno == ENOTDIR));
}

std::string WhyNotOpened(const char* path) {
  if (IsMissing(path)) return "no such file";
  struct stat st;
  if (::stat(path, &st) != 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return "a directory";
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  return "cannot be read";
}

uint64_t OpenFileSize(std::FILE* file) {
  struct stat st;
  if (!file || ::fstat(::fileno(file), &st) != 0 || st.st_size < 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}

namespace {

FileStamp StampOf(const struct stat& st) {
  FileStamp s;
  s.device = static_cast<uint64_t>(st.st_dev);
  s.inode = static_cast<uint64_t>(st.st_ino);
  s.size = static_cast<uint64_t>(st.st_size);
  s.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.changedNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return s;
}

}  // namespace

FileStamp PathStamp(const char* path) {
  struct stat st;
  if (!path || ::stat(path, &st) != 0) return FileStamp{};
  return StampOf(st);
}

FileStamp OpenFileStamp(std::FILE* file) {
  struct stat st;
  if (!file || ::fstat(::fileno(file), &st) != 0) return FileStamp{};
  return StampOf(st);
}

}  // namespace platform
