// Library members' miniatures, drawn on a thread of their own so that the windows never wait
// for them. One thread serves every library browser; each browser says which members it wants
// now (the visible ones first), which drops whatever it asked for before and has not been
// drawn yet. Pictures come back through the event loop of the receiver's thread.
#pragma once

#include <QImage>
#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace lanterna {

struct MiniatureJob {
  std::string path;
  std::string member;  // stored bytes
  int width = 0;
  int height = 0;
  int row = 0;  // the receiver's own tag
};

// What came of one job: the picture, or a null image with the loader's result.
using MiniatureDone = std::function<void(int row, const QImage& image, int32_t result)>;

class MiniatureWorker {
 public:
  static MiniatureWorker& Instance();
  ~MiniatureWorker();

  // Replaces the jobs `receiver` waits for by these, drawn in this order; `done` runs on the
  // receiver's thread. The job being drawn is finished and delivered.
  void Want(QObject* receiver, std::vector<MiniatureJob> jobs, MiniatureDone done);
  // The receiver wants nothing more: its jobs are dropped and nothing more is delivered to it.
  // A receiver calls this before it is destroyed.
  void Forget(QObject* receiver);
  // Jobs waiting, of every receiver (tests, benchmarks).
  size_t Pending();

 private:
  MiniatureWorker();
  void Run();

  struct Queued {
    QObject* receiver = nullptr;
    MiniatureJob job;
    std::shared_ptr<MiniatureDone> done;
  };
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Queued> queue_;
  std::set<QObject*> receivers_;  // those that may still be delivered to
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace lanterna
