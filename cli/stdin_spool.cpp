#include "cli/stdin_spool.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "cli/cli_common.h"
#include "render/rendering.h"

namespace lanterna {

StdinSpool::~StdinSpool() {
  if (dir_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

bool StdinSpool::Take(SlideName* name) {
  if (name->path != "-") return true;
  std::vector<char> data;
  char buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
    data.insert(data.end(), buffer, buffer + n);
  if (std::ferror(stdin)) {
    Complain("lanterna-cli: %s: cannot read\n", kStdinLabel);
    return false;
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "lanterna-stdin-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    Complain("lanterna-cli: cannot make a temporary file for %s\n", kStdinLabel);
    return false;
  }
  dir_ = pattern;
  RenderingHeader header;
  const bool rendering = ParseRenderingHeader(reinterpret_cast<const uint8_t*>(data.data()),
                                              static_cast<uint32_t>(data.size()), &header);
  // Anything else goes as a vector slide, which the loader refuses unless it is one.
  path_ = dir_ + (rendering ? "/stdin.rnd" : "/stdin.sld");
  std::FILE* f = std::fopen(path_.c_str(), "wb");
  const bool written = f && std::fwrite(data.data(), 1, data.size(), f) == data.size();
  const bool closed = f && std::fclose(f) == 0;
  if (!written || !closed) {
    Complain("lanterna-cli: cannot make a temporary file for %s\n", kStdinLabel);
    return false;
  }
  name->path = path_;
  name->member.clear();
  return true;
}

SlideName ShownName(const SlideName& name, const StdinSpool& spool) {
  if (!spool.Active()) return name;
  return SlideName{kStdinLabel, ""};
}

}  // namespace lanterna
