#include "shell/miniature_worker.h"

#include <QMetaObject>
#include <algorithm>

#include "output/render_job.h"
#include "shell/child.h"

namespace lanterna {

MiniatureWorker& MiniatureWorker::Instance() {
  static MiniatureWorker worker;
  return worker;
}

MiniatureWorker::MiniatureWorker() : thread_([this] { Run(); }) {}

MiniatureWorker::~MiniatureWorker() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  thread_.join();
}

void MiniatureWorker::Want(QObject* receiver, std::vector<MiniatureJob> jobs, MiniatureDone done) {
  auto shared = std::make_shared<MiniatureDone>(std::move(done));
  {
    std::lock_guard lock(mutex_);
    receivers_.insert(receiver);
    std::erase_if(queue_, [receiver](const Queued& q) { return q.receiver == receiver; });
    // The latest wishes go first: they are what the user looks at now.
    for (auto it = jobs.rbegin(); it != jobs.rend(); ++it)
      queue_.push_front({receiver, std::move(*it), shared});
  }
  wake_.notify_one();
}

void MiniatureWorker::Forget(QObject* receiver) {
  std::lock_guard lock(mutex_);
  receivers_.erase(receiver);
  std::erase_if(queue_, [receiver](const Queued& q) { return q.receiver == receiver; });
}

size_t MiniatureWorker::Pending() {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

void MiniatureWorker::Run() {
  for (;;) {
    Queued next;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      next = std::move(queue_.front());
      queue_.pop_front();
    }
    RenderRequest request;
    request.path = next.job.path;
    request.member = next.job.member;
    request.width = next.job.width;
    request.height = next.job.height;
    const RenderResult drawn = RenderSlide(request);
    QImage image = drawn.bitmap ? BitmapImage(*drawn.bitmap) : QImage();
    const int32_t result = drawn.result;
    const int row = next.job.row;
    // Posted while the receiver is known to live: it forgets itself under the same lock before
    // it goes, and Qt drops what was posted to an object that is destroyed.
    std::lock_guard lock(mutex_);
    if (!receivers_.count(next.receiver)) continue;
    QMetaObject::invokeMethod(
        next.receiver,
        [done = next.done, row, image = std::move(image), result] { (*done)(row, image, result); },
        Qt::QueuedConnection);
  }
}

}  // namespace lanterna
