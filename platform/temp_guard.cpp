#include "platform/temp_guard.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace platform {

const int kTerminatingSignals[3] = {SIGINT, SIGTERM, SIGHUP};

namespace {

TempSlot gOwnSlot;
TempSlot* gSlot = &gOwnSlot;

pid_t gWorkers[kMaxGuardedWorkers];
volatile sig_atomic_t gWorkerCount = 0;

extern "C" void OnTerminatingSignal(int sig) {
  const int saved = errno;
  if (gSlot->path[0]) ::unlink(gSlot->path);
  for (int i = 0; i < gWorkerCount; ++i) ::kill(gWorkers[i], sig);
  errno = saved;
  ::raise(sig);  // the handler was reset: the default action ends the process as it would have
}

}  // namespace

void InstallTempGuard() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnTerminatingSignal;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  ::signal(SIGXFSZ, SIG_IGN);
  for (int sig : kTerminatingSignals) {
    struct sigaction old;
    if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(sig, &action, nullptr);
  }
}

void GuardTemp(const std::string& path) {
  if (path.empty() || path.size() >= sizeof gSlot->path) return;
  // The first byte goes last: a handler or a parent never sees half a name.
  std::memcpy(gSlot->path + 1, path.data() + 1, path.size() - 1);
  gSlot->path[path.size()] = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  gSlot->path[0] = path[0];
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

void ReleaseTemp() {
  gSlot->path[0] = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

void UseTempSlot(TempSlot* slot) {
  gWorkerCount = 0;
  gSlot = slot;
}

void GuardWorker(int index, pid_t pid) {
  if (index < 0 || index >= kMaxGuardedWorkers) return;
  gWorkers[index] = pid;
  gWorkerCount = index + 1;
}

void ForgetWorkers() {
  gWorkerCount = 0;
}

}  // namespace platform
