// An output file written under a temporary name beside its final one and renamed into place
// only when complete, so that nothing half-written is ever left under the final name.
#pragma once

#include <string>

namespace lanterna {

class AtomicOutput {
 public:
  explicit AtomicOutput(std::string finalPath);
  ~AtomicOutput();  // removes the temporary file unless committed
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;

  // Where to write: in the same directory as the final file, so that the rename is one step.
  const std::string& TempPath() const { return temp_; }
  const std::string& FinalPath() const { return final_; }
  // Flushes the temporary file to disk and renames it over the final name.
  bool Commit();

 private:
  std::string final_;
  std::string temp_;
  bool committed_ = false;
};

// Flushes a written file's data to disk (fsync); false when it cannot.
bool SyncFile(const std::string& path);

}  // namespace lanterna
