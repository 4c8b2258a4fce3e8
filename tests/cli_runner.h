// Runs lanterna-cli as a person would, collecting its exit code and output.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace fixtures {

struct CliRun {
  int exit;
  std::string output;  // stdout, and stderr unless left out
};

inline CliRun Cli(const std::string& args, bool withStderr = true, const std::string& prefix = "") {
  const std::string command = prefix + std::string(LANTERNA_CLI_PATH) + " " + args +
                              (withStderr ? " 2>&1" : " 2>/dev/null");
  CliRun r{-1, ""};
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) r.output.append(buf.data(), n);
  const int status = ::pclose(pipe);
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

}  // namespace fixtures
