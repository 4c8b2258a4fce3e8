// Batch runs of render and dxf: inputs expanded to slides, one output named for each, worker
// processes, progress, failures and the summary.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "output/atomic_output.h"
#include "output/slide_name.h"
#include "platform/temp_guard.h"

namespace lanterna {

struct BatchItem {
  std::string label;  // how messages name the slide: FILE or LIBRARY,MEMBER
  SlideName slide;
  std::string output;    // the final output path
  std::string problem;   // set when the input fails before any work is tried
  bool skipped = false;  // stands for the members past a damaged directory
};

// The output name of a slide without directory or extension: the file's base name, or
// LIBRARY_MEMBER for a member.
std::string OutputStem(const SlideName& slide);
// A member name as a file name: separators and control characters become '_'.
std::string FileNameSafe(std::string text);

// Expands the inputs (a library without a member name stands for every member, in directory
// order) and names one output in dir for each; names that would clash get "_2", "_3"...
std::vector<BatchItem> PlanBatch(const std::vector<std::string>& inputs, const std::string& dir,
                                 const std::string& extension);

// Does work on every item, in `jobs` worker processes when above 1 (the engine's state is
// process-wide). Progress goes to stderr when it is a terminal; each failure is named and a
// summary ends the run. Returns the exit code: kExitOk when every item succeeded.
using BatchWork = std::function<bool(const BatchItem&)>;
int RunBatch(const std::vector<BatchItem>& items, int jobs, const BatchWork& work);

// Creates the output directory when missing, plans and runs the batch; returns the exit code.
int RunBatchCommand(const std::vector<std::string>& inputs, const std::string& dir,
                    const std::string& extension, int jobs, const BatchWork& work);

constexpr int kMaxJobs = platform::kMaxGuardedWorkers;
// The value of --jobs: 1 to kMaxJobs.
bool ParseJobs(const std::string& text, int* jobs);

// An AtomicOutput whose temporary file is also removed when SIGINT, SIGTERM or SIGHUP ends the
// process. One at a time. An existing output that is not a regular file (a pipe, a terminal,
// /dev/stdout) is written in place: a rename would replace the device's name with a file.
class GuardedOutput {
 public:
  explicit GuardedOutput(const std::string& finalPath);
  ~GuardedOutput();
  GuardedOutput(const GuardedOutput&) = delete;
  GuardedOutput& operator=(const GuardedOutput&) = delete;
  const std::string& TempPath() const { return direct_ ? out_.FinalPath() : out_.TempPath(); }
  const std::string& FinalPath() const { return out_.FinalPath(); }
  bool Commit() { return direct_ || out_.Commit(); }

 private:
  AtomicOutput out_;
  bool direct_;
};

}  // namespace lanterna
