// "-o -": the output is written to a temporary file like any other and then copied to
// standard output, so every writer (and cairo) keeps writing to a file name.
#pragma once

#include <string>

namespace lanterna {

class StdoutOutput {
 public:
  StdoutOutput();
  ~StdoutOutput();  // removes the temporary file
  StdoutOutput(const StdoutOutput&) = delete;
  StdoutOutput& operator=(const StdoutOutput&) = delete;

  // Empty when no temporary file could be made.
  const std::string& TempPath() const { return path_; }
  // Copies the written file to standard output; false when that fails.
  bool Commit();

 private:
  std::string dir_;
  std::string path_;
};

// Either a named file, written under a temporary name and renamed when complete, or "-".
class OutputTarget {
 public:
  explicit OutputTarget(const std::string& path);
  ~OutputTarget();
  OutputTarget(const OutputTarget&) = delete;
  OutputTarget& operator=(const OutputTarget&) = delete;
  const std::string& TempPath() const;
  bool Commit();

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace lanterna
