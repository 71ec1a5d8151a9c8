// Spool.dll: message loops and named threads (stand-in). A posted task runs on the loop's thread
// in posting order; Run returns after Quit. Every loop also dispatches the thread's window
// messages, so a task may show a modal window while the loop keeps working.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

#ifdef SPOOL_BUILD
#define SPOOL_API __declspec(dllexport)
#else
#define SPOOL_API __declspec(dllimport)
#endif

namespace spool {

// A unit of work; the loop calls Run once and then Destroy, which frees it in its own module.
class Task {
 public:
  virtual void Run() = 0;
  virtual void Destroy() = 0;

 protected:
  virtual ~Task() = default;
};

class Thread;

// Creates and destroys the worker threads that PostWorkerTask runs tasks on.
class WorkerFactory {
 public:
  virtual Thread* CreateWorker() = 0;
  virtual void DestroyWorker(Thread* worker) = 0;

 protected:
  virtual ~WorkerFactory() = default;
};

class SPOOL_API MessageLoop {
 public:
  virtual ~MessageLoop();
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // Thread-safe; takes ownership of `task`. False when the loop is already gone.
  bool PostTask(Task* task);
  // Runs `task` on a new worker from the factory, then destroys the worker on this loop.
  bool PostWorkerTask(Task* task);
  void SetWorkerFactory(WorkerFactory* factory);
  // Thread-safe; Run returns once the task that is running now has finished.
  void Quit();
  void Run();
  DWORD thread_id() const;

  // The loop of the calling thread, or null.
  static MessageLoop* Current();

  struct Impl;

 protected:
  MessageLoop();

 private:
  Impl* impl_;
};

// The loop of a thread that owns windows.
class SPOOL_API MessageLoopForUI : public MessageLoop {
 public:
  MessageLoopForUI();
};

class SPOOL_API Thread {
 public:
  struct Options {
    unsigned stack_size = 0;
  };

  explicit Thread(const char* name);
  // Stops the thread if it still runs.
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  bool StartWithOptions(const Options& options);
  // Quits the thread's loop after the tasks already posted and waits for the thread to end.
  void Stop();
  MessageLoop* message_loop() const;
  DWORD thread_id() const;
  const char* name() const;

  struct Impl;

 private:
  Impl* impl_;
};

// Closure tasks are built in the caller's module, so the closure never crosses the DLL.
template <typename Fn>
class ClosureTask final : public Task {
 public:
  explicit ClosureTask(Fn fn) : fn_(std::move(fn)) {}
  void Run() override { fn_(); }
  void Destroy() override { delete this; }

 private:
  Fn fn_;
};

template <typename Fn>
Task* MakeTask(Fn fn) {
  return new ClosureTask<Fn>(std::move(fn));
}

}  // namespace spool
