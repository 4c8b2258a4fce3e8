#include "cli/batch.h"

#include <limits.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <set>

#include "cli/cli_common.h"
#include "cli/member_names.h"
#include "platform/exten.h"
#include "platform/file_open.h"
#include "platform/temp_guard.h"
#include "slide/library.h"
#include "slide/slide_kind.h"
#include "slide/slide_types.h"

namespace lanterna {

// ---- Outputs guarded against signals ----

namespace {

using platform::TempSlot;

bool ExistsAndIsNotAFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

// A symbolic link keeps pointing where it did: the file it names is the one replaced.
std::string ThroughLinks(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::canonical(path, ec);
  return ec ? path : target.string();
}

}  // namespace

GuardedOutput::GuardedOutput(const std::string& finalPath)
    : out_(ThroughLinks(finalPath)), direct_(ExistsAndIsNotAFile(finalPath)) {
  platform::InstallTempGuard();
  if (!direct_) platform::GuardTemp(out_.TempPath());
}

GuardedOutput::~GuardedOutput() {
  platform::ReleaseTemp();
}

// ---- Inputs and output names ----

namespace {

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

// Member names are free text: nothing in them may reach outside the output directory.
std::string FileNameSafe(std::string text) {
  for (char& c : text)
    if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
  return text;
}

std::string OutputStem(const SlideName& slide) {
  const std::string stem = WithoutExtension(BaseName(slide.path));
  if (slide.member.empty()) return FileNameSafe(stem);
  return FileNameSafe(stem + "_" + ShownName(slide.member));
}

std::vector<BatchItem> PlanBatch(const std::vector<std::string>& inputs, const std::string& dir,
                                 const std::string& extension) {
  std::vector<BatchItem> items;
  for (const std::string& input : inputs) {
    const SlideName name = ParseSlideArg(input);
    if (!name.member.empty() || SlideKindOf(name.path) != kKindLibrary) {
      items.push_back({input, name, "", ""});
      continue;
    }
    // The whole library. The listing would only say "File Not Found", without the name.
    std::FILE* probe = platform::OpenRegularFile(name.path.c_str());
    if (!probe) {
      items.push_back(
          {input, name, "", "cannot open: " + platform::WhyNotOpened(name.path.c_str())});
      continue;
    }
    std::fclose(probe);
    char member[kLibraryNameLength + 8];
    size_t members = 0;
    while (MemberIterator(name.path.c_str(), member)) {
      const SlideName slide{name.path, member};
      items.push_back({ShownLabel(slide), slide, "", ""});
      ++members;
    }
    // Members past a damaged entry cannot be reached: the run is not complete.
    if (!ListingComplete(name.path)) {
      items.push_back({name.path, name, "",
                       "the directory ends after " + std::to_string(members) +
                           " members; the members after them are skipped",
                       true});
      continue;
    }
    if (members == 0) Complain("lanterna-cli: %s: no members\n", name.path.c_str());
  }

  // Names are compared without case, so that a batch is the same on any file system.
  std::set<std::string> taken;
  for (BatchItem& item : items) {
    const std::string stem = OutputStem(item.slide);
    std::string file = stem + extension;
    for (int n = 2; taken.count(UpperCased(file)); ++n)
      file = stem + "_" + std::to_string(n) + extension;
    taken.insert(UpperCased(file));
    item.output = JoinPath(dir, file);
    if (item.problem.empty() && SameFile(item.output, item.slide.path))
      item.problem = "the output " + item.output + " would replace the input";
  }
  return items;
}

bool ParseJobs(const std::string& text, int* jobs) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || n < 1 || n > kMaxJobs) return false;
  *jobs = static_cast<int>(n);
  return true;
}

// ---- Running ----

namespace {

int TerminalWidth() {
  struct winsize size;
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

void WriteAll(int fd, const void* data, size_t length) {
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    const ssize_t n = ::write(fd, p, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    p += n;
    length -= static_cast<size_t>(n);
  }
}

// "[count/total] name" on one terminal line, redrawn in place.
class Progress {
 public:
  explicit Progress(size_t total) : on_(::isatty(STDERR_FILENO) == 1), total_(total) {
    SetProgressLine(on_);
  }
  ~Progress() { End(); }

  void Started(const std::string& label) {
    ++started_;
    current_ = label;
    Draw();
  }
  void Finished() { Draw(); }
  void End() {
    if (!on_) return;
    WriteAll(STDERR_FILENO, "\r\033[K", 4);
    SetProgressLine(false);
    on_ = false;
  }

 private:
  void Draw() {
    if (!on_) return;
    const std::string count = "[" + std::to_string(started_) + "/" + std::to_string(total_) + "] ";
    std::string name = current_;
    // A line that wrapped could not be redrawn in place; the end of a name tells most.
    const size_t room = static_cast<size_t>(std::max(TerminalWidth() - 1, 20)) - count.size();
    if (name.size() > room) name = "..." + name.substr(name.size() - (room - 3));
    const std::string line = "\r\033[K" + count + name;
    WriteAll(STDERR_FILENO, line.data(), line.size());
  }

  bool on_;
  size_t total_;
  size_t started_ = 0;
  std::string current_;
};

// The engine's boxes as the headless default prints them, clearing the progress line first.
class BatchBoxes : public platform::MessageBoxService {
 public:
  BatchBoxes() { platform::SetMessageBoxService(this); }
  ~BatchBoxes() override { platform::SetMessageBoxService(nullptr); }
  int Show(platform::HWND, const std::string& text, const std::string& title,
           unsigned style) override {
    Complain("%s: %s\n", title.c_str(), text.c_str());
    return platform::DefaultButton(style);
  }
};

bool RunOne(const BatchItem& item, const BatchWork& work) {
  if (!item.problem.empty()) {
    Complain("lanterna-cli: %s: %s\n", item.label.c_str(), item.problem.c_str());
    return false;
  }
  try {
    return work(item);
  } catch (const std::bad_alloc&) {
    Complain("lanterna-cli: %s: not enough memory\n", item.label.c_str());
    return false;
  }
}

// What a worker tells the parent, one record per write (shorter than PIPE_BUF, so whole).
struct Event {
  int32_t pid;
  uint32_t index;
  uint32_t kind;
};
constexpr uint32_t kEventStarted = 0, kEventSucceeded = 1, kEventFailed = 2;

// Memory shared by the parent and its workers.
struct SharedState {
  std::atomic<uint32_t> next{0};  // the next item to claim
  TempSlot temps[kMaxJobs];
};
static_assert(std::atomic<uint32_t>::is_always_lock_free, "the claim counter crosses processes");

[[noreturn]] void WorkerLoop(const std::vector<BatchItem>& items, const BatchWork& work,
                             SharedState* shared, int events) {
  const int32_t pid = static_cast<int32_t>(::getpid());
  for (;;) {
    const uint32_t i = shared->next.fetch_add(1);
    if (i >= items.size()) break;
    Event e{pid, i, kEventStarted};
    WriteAll(events, &e, sizeof e);
    e.kind = RunOne(items[i], work) ? kEventSucceeded : kEventFailed;
    WriteAll(events, &e, sizeof e);
  }
  std::fflush(nullptr);
  ::_exit(0);
}

enum class ItemState { kWaiting, kStarted, kSucceeded, kFailed };

// Runs the items in worker processes; false when not a single worker could be started.
bool RunInWorkers(const std::vector<BatchItem>& items, int jobs, const BatchWork& work,
                  Progress& progress, std::vector<ItemState>& states) {
  void* memory = ::mmap(nullptr, sizeof(SharedState), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return false;
  SharedState* shared = new (memory) SharedState;
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) {
    ::munmap(memory, sizeof(SharedState));
    return false;
  }

  platform::InstallTempGuard();
  std::fflush(nullptr);  // nothing buffered is written twice
  // No signal may reach a worker before it has forgotten its siblings.
  sigset_t block, saved;
  sigemptyset(&block);
  for (int sig : platform::kTerminatingSignals) sigaddset(&block, sig);
  ::sigprocmask(SIG_BLOCK, &block, &saved);
  std::vector<pid_t> workers;
  for (int w = 0; w < jobs; ++w) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      platform::UseTempSlot(&shared->temps[w]);
      ::sigprocmask(SIG_SETMASK, &saved, nullptr);
      ::close(pipeEnds[0]);
      WorkerLoop(items, work, shared, pipeEnds[1]);
    }
    if (pid < 0) break;
    workers.push_back(pid);
    platform::GuardWorker(w, pid);
  }
  ::sigprocmask(SIG_SETMASK, &saved, nullptr);
  ::close(pipeEnds[1]);
  if (workers.empty()) {
    ::close(pipeEnds[0]);
    ::munmap(memory, sizeof(SharedState));
    return false;
  }

  std::vector<pid_t> startedBy(items.size(), 0);
  char buffer[sizeof(Event) * 256];
  size_t held = 0;
  for (;;) {
    const ssize_t n = ::read(pipeEnds[0], buffer + held, sizeof buffer - held);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // every worker has closed its end
    held += static_cast<size_t>(n);
    size_t used = 0;
    for (; held - used >= sizeof(Event); used += sizeof(Event)) {
      Event e;
      std::memcpy(&e, buffer + used, sizeof e);
      if (e.index >= items.size()) continue;
      if (e.kind == kEventStarted) {
        states[e.index] = ItemState::kStarted;
        startedBy[e.index] = e.pid;
        progress.Started(items[e.index].label);
      } else {
        states[e.index] = e.kind == kEventSucceeded ? ItemState::kSucceeded : ItemState::kFailed;
        progress.Finished();
      }
    }
    std::memmove(buffer, buffer + used, held - used);
    held -= used;
  }
  ::close(pipeEnds[0]);
  platform::ForgetWorkers();

  std::vector<int> statuses(workers.size(), 0);
  for (size_t w = 0; w < workers.size(); ++w)
    while (::waitpid(workers[w], &statuses[w], 0) < 0 && errno == EINTR) {
    }
  // A worker that died (a fault in the engine, a kill) failed the item it had under way.
  for (size_t w = 0; w < workers.size(); ++w) {
    const TempSlot& slot = shared->temps[w];
    if (slot.path[0]) ::unlink(slot.path);
  }
  for (size_t i = 0; i < items.size(); ++i) {
    if (states[i] == ItemState::kSucceeded || states[i] == ItemState::kFailed) continue;
    std::string why = "not done";
    for (size_t w = 0; w < workers.size(); ++w) {
      if (states[i] != ItemState::kStarted || workers[w] != startedBy[i]) continue;
      const int s = statuses[w];
      why = WIFSIGNALED(s) ? "the worker was ended by signal " + std::to_string(WTERMSIG(s))
                           : "the worker ended with status " + std::to_string(WEXITSTATUS(s));
    }
    Complain("lanterna-cli: %s: %s\n", items[i].label.c_str(), why.c_str());
    states[i] = ItemState::kFailed;
  }
  shared->~SharedState();
  ::munmap(memory, sizeof(SharedState));
  return true;
}

}  // namespace

int RunBatch(const std::vector<BatchItem>& items, int jobs, const BatchWork& work) {
  std::vector<ItemState> states(items.size(), ItemState::kWaiting);
  {
    BatchBoxes boxes;
    Progress progress(items.size());
    const int workers = static_cast<int>(std::min<size_t>(std::max(jobs, 1), items.size()));
    if (workers < 2 || !RunInWorkers(items, workers, work, progress, states)) {
      for (size_t i = 0; i < items.size(); ++i) {
        progress.Started(items[i].label);
        states[i] = RunOne(items[i], work) ? ItemState::kSucceeded : ItemState::kFailed;
        progress.Finished();
      }
    }
  }
  // The members past a damaged library directory are counted apart: they were never tried.
  size_t succeeded = 0, failed = 0, skipped = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    if (states[i] == ItemState::kSucceeded) {
      ++succeeded;
    } else if (items[i].skipped) {
      ++skipped;
    } else {
      ++failed;
      Complain("lanterna-cli: failed: %s\n", items[i].label.c_str());
    }
  }
  Complain("%zu done, %zu failed, %zu skipped\n", succeeded, failed, skipped);
  return failed == 0 && skipped == 0 ? kExitOk : kExitFailed;
}

int RunBatchCommand(const std::vector<std::string>& inputs, const std::string& dir,
                    const std::string& extension, int jobs, const BatchWork& work) {
  std::error_code made, ec;
  std::filesystem::create_directories(dir, made);
  if (!std::filesystem::is_directory(dir, ec)) {
    Complain("lanterna-cli: %s: cannot create the directory: %s\n", dir.c_str(),
             made ? made.message().c_str() : "a file is in the way");
    return kExitFailed;
  }
  return RunBatch(PlanBatch(inputs, dir, extension), jobs, work);
}

}  // namespace lanterna
