// A pool of at most `max_threads` workers named prefix + "Worker%d", started when work
// arrives. Tasks start in posting order. Shutdown() refuses new tasks, lets the queued
// ones finish and joins the workers.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/location.h"
#include "base/once_closure.h"

namespace base {

class SequencedWorkerPool {
 public:
  SequencedWorkerPool(size_t max_threads, const std::string& thread_name_prefix);
  ~SequencedWorkerPool();  // shuts down
  SequencedWorkerPool(const SequencedWorkerPool&) = delete;
  SequencedWorkerPool& operator=(const SequencedWorkerPool&) = delete;

  // False after Shutdown(); the closure is then destroyed unrun.
  bool PostWorkerTask(const Location& from_here, OnceClosure task);
  void Shutdown();
  size_t started_threads() const;

 private:
  void WorkerMain(int index);

  const size_t max_threads_;
  const std::string prefix_;
  mutable std::mutex lock_;
  std::condition_variable has_work_;
  std::deque<OnceClosure> queue_;
  std::vector<std::thread> workers_;
  size_t idle_ = 0;
  size_t started_ = 0;
  bool shutdown_ = false;
};

}  // namespace base
