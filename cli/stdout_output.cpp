#include "cli/stdout_output.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "cli/batch.h"

namespace lanterna {

StdoutOutput::StdoutOutput() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lanterna-out-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return;
  dir_ = pattern;
  path_ = dir_ + "/out";
}

StdoutOutput::~StdoutOutput() {
  if (dir_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

bool StdoutOutput::Commit() {
  std::FILE* in = path_.empty() ? nullptr : std::fopen(path_.c_str(), "rb");
  if (!in) return false;
  char buffer[1 << 16];
  size_t n;
  bool ok = true;
  while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
    ok = std::fwrite(buffer, 1, n, stdout) == n;
  ok = ok && !std::ferror(in);
  std::fclose(in);
  return std::fflush(stdout) == 0 && ok;
}

struct OutputTarget::Impl {
  std::unique_ptr<GuardedOutput> file;
  std::unique_ptr<StdoutOutput> pipe;
};

OutputTarget::OutputTarget(const std::string& path) : impl_(new Impl) {
  if (path == "-")
    impl_->pipe = std::make_unique<StdoutOutput>();
  else
    impl_->file = std::make_unique<GuardedOutput>(path);
}

OutputTarget::~OutputTarget() {
  delete impl_;
}

const std::string& OutputTarget::TempPath() const {
  return impl_->pipe ? impl_->pipe->TempPath() : impl_->file->TempPath();
}

bool OutputTarget::Commit() {
  return impl_->pipe ? impl_->pipe->Commit() : impl_->file->Commit();
}

}  // namespace lanterna
