// The engine's named threads, addressed by identifier: UI (the main thread), FILE and
// DISPATCH. Posting by identifier fails (false, closure destroyed unrun) when that thread
// is not registered. Lower identifiers outlive higher ones: DISPATCH stops first.
#pragma once

#include <memory>
#include <string>

#include "base/location.h"
#include "base/once_closure.h"
#include "base/scoped_com_initializer.h"
#include "base/thread.h"
#include "base/time.h"

namespace base {
class SequencedWorkerPool;
}

namespace setup {

class SetupThread {
 public:
  enum ID {
    UI = 0,
    FILE = 1,
    DISPATCH = 2,
    ID_COUNT = 3,
  };

  static bool PostToThread(ID identifier,
                           const base::Location& from_here,
                           base::OnceClosure task,
                           base::TimeDelta delay,
                           bool nestable);
  static bool PostTask(ID identifier, const base::Location& from_here, base::OnceClosure task) {
    return PostToThread(identifier, from_here, std::move(task), base::TimeDelta(0), true);
  }
  // False on a thread that is not one of the registered named threads.
  static bool IdentifyCurrentThread(ID* identifier);
  // The name table: "" for UI (named separately), then the FILE and DISPATCH names.
  static const char* GetThreadName(ID identifier);
};

// Hooks run on a named thread when it starts and before it ends; none by default.
class SetupThreadDelegate {
 public:
  virtual ~SetupThreadDelegate() = default;
  virtual void Init() = 0;
  virtual void CleanUp() = 0;
};
void SetSetupThreadDelegate(SetupThread::ID identifier, SetupThreadDelegate* delegate);

// A named thread registered under its identifier while it exists.
class SetupThreadImpl : public base::Thread {
 public:
  explicit SetupThreadImpl(SetupThread::ID identifier);
  // Wraps the calling thread's running loop (the main thread).
  SetupThreadImpl(SetupThread::ID identifier, base::MessageLoop* message_loop);
  ~SetupThreadImpl() override;

  SetupThread::ID identifier() const { return identifier_; }

 protected:
  void Init() override;
  void CleanUp() override;
  void Unregister();

 private:
  void Register();
  const SetupThread::ID identifier_;
};

// FILE and DISPATCH: COM (single-threaded apartment) is set up on the thread first.
class SetupProcessSubThread : public SetupThreadImpl {
 public:
  explicit SetupProcessSubThread(SetupThread::ID identifier);
  ~SetupProcessSubThread() override;

 protected:
  void Init() override;
  void CleanUp() override;

 private:
  std::unique_ptr<base::ScopedCOMInitializer> com_;
};

// Main-thread set-up: names the thread and its loop "Setup_Main" and registers it as UI.
std::unique_ptr<SetupThreadImpl> InitializeMainThread(base::MessageLoop* main_loop);
// Creates and starts FILE (UI-type loop), then DISPATCH (default loop).
void CreateSetupThreads();
// Stops DISPATCH, then FILE, then the blocking pool.
void ShutdownSetupThreads();
// The idle blocking pool of at most 3 "SetupBlocking" workers.
base::SequencedWorkerPool* GetBlockingPool();

}  // namespace setup
