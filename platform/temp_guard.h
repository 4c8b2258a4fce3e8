// The temporary file being written, removed when SIGINT, SIGTERM or SIGHUP ends the process, so
// that an interrupted run leaves nothing behind. One file at a time per process; batch workers
// keep theirs in memory shared with the parent, which removes what a worker that died left.
#pragma once

#include <sys/types.h>

#include <climits>
#include <string>

namespace platform {

struct TempSlot {
  char path[PATH_MAX];  // path[0] == 0: none
};

constexpr int kMaxGuardedWorkers = 64;

// Installs the handlers (once); a signal ignored by whoever started us stays ignored. Past a
// file size limit a write then fails, as on a full disk, instead of ending the process.
void InstallTempGuard();
// The file to remove should a signal come; ReleaseTemp once it is renamed or removed.
void GuardTemp(const std::string& path);
void ReleaseTemp();

// In a worker: its slot in shared memory, and no siblings to pass signals to.
void UseTempSlot(TempSlot* slot);
// In the parent: worker `index` is pid, passed a terminating signal on; -1 forgets them all.
void GuardWorker(int index, pid_t pid);
void ForgetWorkers();

// The signals the handlers take, for callers that block them around a fork.
extern const int kTerminatingSignals[3];

}  // namespace platform
