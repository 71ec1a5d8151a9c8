#include "base/sequenced_worker_pool.h"

#include "base/thread.h"

namespace base {

SequencedWorkerPool::SequencedWorkerPool(size_t max_threads, const std::string& thread_name_prefix)
    : max_threads_(max_threads), prefix_(thread_name_prefix) {}

SequencedWorkerPool::~SequencedWorkerPool() {
  Shutdown();
}

bool SequencedWorkerPool::PostWorkerTask(const Location&, OnceClosure task) {
  std::lock_guard<std::mutex> hold(lock_);
  if (shutdown_)
    return false;
  queue_.push_back(std::move(task));
  if (idle_ == 0 && workers_.size() < max_threads_) {
    int index = static_cast<int>(workers_.size()) + 1;
    workers_.emplace_back([this, index] { WorkerMain(index); });
    ++started_;
  } else {
    has_work_.notify_one();
  }
  return true;
}

void SequencedWorkerPool::Shutdown() {
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> hold(lock_);
    shutdown_ = true;
    workers.swap(workers_);
    has_work_.notify_all();
  }
  for (std::thread& worker : workers)
    worker.join();
}

size_t SequencedWorkerPool::started_threads() const {
  std::lock_guard<std::mutex> hold(lock_);
  return started_;
}

void SequencedWorkerPool::WorkerMain(int index) {
  SetCurrentThreadName(prefix_ + "Worker" + std::to_string(index));
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    ++idle_;
    has_work_.wait(hold, [this] { return shutdown_ || !queue_.empty(); });
    --idle_;
    if (queue_.empty())
      return;
    OnceClosure task = std::move(queue_.front());
    queue_.pop_front();
    hold.unlock();
    task.Run();
    hold.lock();
  }
}

}  // namespace base
