#include "output/atomic_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace lanterna {

namespace {
std::atomic<unsigned> gSerial{0};
}

AtomicOutput::AtomicOutput(std::string finalPath) : final_(std::move(finalPath)) {
  const size_t slash = final_.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : final_.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? final_ : final_.substr(slash + 1);
  temp_ =
      dir + "." + base + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(gSerial++);
}

AtomicOutput::~AtomicOutput() {
  if (!committed_) std::remove(temp_.c_str());
}

bool SyncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

bool AtomicOutput::Commit() {
  if (committed_) return true;
  if (!SyncFile(temp_)) return false;
  if (std::rename(temp_.c_str(), final_.c_str()) != 0) return false;
  committed_ = true;
  return true;
}

}  // namespace lanterna
