#include "setup/setup_thread.h"

#include <mutex>

#include "base/logging.h"
#include "base/sequenced_worker_pool.h"
#include "base/singleton.h"

namespace setup {

namespace {

const char* const kThreadNames[SetupThread::ID_COUNT] = {"", "Setup_FileThread",
                                                         "Setup_DispatchThread"};

struct SetupThreadTable {
  std::mutex lock;
  SetupThreadImpl* threads[SetupThread::ID_COUNT] = {};
  SetupThreadDelegate* delegates[SetupThread::ID_COUNT] = {};
  std::unique_ptr<base::SequencedWorkerPool> blocking_pool =
      std::make_unique<base::SequencedWorkerPool>(3, "SetupBlocking");
  // FILE and DISPATCH, owned between CreateSetupThreads and ShutdownSetupThreads.
  std::unique_ptr<SetupThreadImpl> owned[SetupThread::ID_COUNT];
};

SetupThreadTable* Table() {
  return base::Singleton<SetupThreadTable>::get();
}

bool ValidId(int identifier) {
  return identifier >= 0 && identifier < SetupThread::ID_COUNT;
}

}  // namespace

// The lock is taken on every post: a post can then never race a thread's teardown.
bool SetupThread::PostToThread(ID identifier,
                               const base::Location& from_here,
                               base::OnceClosure task,
                               base::TimeDelta delay,
                               bool nestable) {
  DCHECK(identifier >= 0 && identifier < ID_COUNT);
  if (!ValidId(identifier))
    return false;
  SetupThreadTable* table = Table();
  std::lock_guard<std::mutex> hold(table->lock);
  SetupThreadImpl* thread = table->threads[identifier];
  if (!thread || !thread->message_loop())
    return false;
  base::TaskRunnerPtr runner = thread->task_runner();
  if (!runner)
    return false;
  return nestable ? runner->PostDelayedTask(from_here, std::move(task), delay)
                  : runner->PostNonNestableDelayedTask(from_here, std::move(task), delay);
}

bool SetupThread::IdentifyCurrentThread(ID* identifier) {
  SetupThreadTable* table = base::Singleton<SetupThreadTable>::GetIfExists();
  base::MessageLoop* current = base::MessageLoop::current();
  if (!table || !current)
    return false;
  std::lock_guard<std::mutex> hold(table->lock);
  for (int i = 0; i < ID_COUNT; ++i) {
    if (table->threads[i] && table->threads[i]->message_loop() == current) {
      *identifier = static_cast<ID>(i);
      return true;
    }
  }
  return false;
}

const char* SetupThread::GetThreadName(ID identifier) {
  return ValidId(identifier) ? kThreadNames[identifier] : "";
}

void SetSetupThreadDelegate(SetupThread::ID identifier, SetupThreadDelegate* delegate) {
  if (!ValidId(identifier))
    return;
  SetupThreadTable* table = Table();
  std::lock_guard<std::mutex> hold(table->lock);
  table->delegates[identifier] = delegate;
}

SetupThreadImpl::SetupThreadImpl(SetupThread::ID identifier)
    : base::Thread(SetupThread::GetThreadName(identifier)), identifier_(identifier) {
  Register();
}

SetupThreadImpl::SetupThreadImpl(SetupThread::ID identifier, base::MessageLoop* message_loop)
    : base::Thread(message_loop ? message_loop->thread_name() : std::string(), message_loop),
      identifier_(identifier) {
  Register();
}

void SetupThreadImpl::Register() {
  SetupThreadTable* table = Table();
  std::lock_guard<std::mutex> hold(table->lock);
  DCHECK(identifier_ >= 0 && identifier_ < SetupThread::ID_COUNT);
  DCHECK(table->threads[identifier_] == NULL);
  if (ValidId(identifier_) && !table->threads[identifier_])
    table->threads[identifier_] = this;
}

// Unregistered before the loop stops, so no post can reach a loop that is going away.
void SetupThreadImpl::Unregister() {
  SetupThreadTable* table = Table();
  std::lock_guard<std::mutex> hold(table->lock);
  if (ValidId(identifier_) && table->threads[identifier_] == this)
    table->threads[identifier_] = nullptr;
}

SetupThreadImpl::~SetupThreadImpl() {
  Unregister();
  Stop();
}

void SetupThreadImpl::Init() {
  SetupThreadDelegate* delegate = nullptr;
  {
    SetupThreadTable* table = Table();
    std::lock_guard<std::mutex> hold(table->lock);
    delegate = table->delegates[identifier_];
  }
  if (delegate)
    delegate->Init();
}

void SetupThreadImpl::CleanUp() {
  SetupThreadDelegate* delegate = nullptr;
  {
    SetupThreadTable* table = Table();
    std::lock_guard<std::mutex> hold(table->lock);
    delegate = table->delegates[identifier_];
  }
  if (delegate)
    delegate->CleanUp();
}

SetupProcessSubThread::SetupProcessSubThread(SetupThread::ID identifier)
    : SetupThreadImpl(identifier) {}

SetupProcessSubThread::~SetupProcessSubThread() {
  Unregister();
  Stop();
}

void SetupProcessSubThread::Init() {
  com_ = std::make_unique<base::ScopedCOMInitializer>();
  SetupThreadImpl::Init();
}

void SetupProcessSubThread::CleanUp() {
  SetupThreadImpl::CleanUp();
  com_.reset();
}

std::unique_ptr<SetupThreadImpl> InitializeMainThread(base::MessageLoop* main_loop) {
  const char kMainThreadName[] = "Setup_Main";
  base::SetCurrentThreadName(kMainThreadName);
  if (!main_loop->thread_name().empty())
    LOG(ERROR) << "Should not rename this thread!";
  else
    main_loop->set_thread_name(kMainThreadName);
  return std::make_unique<SetupThreadImpl>(SetupThread::UI, main_loop);
}

void CreateSetupThreads() {
  SetupThreadTable* table = Table();
  for (int i = SetupThread::FILE; i < SetupThread::ID_COUNT; ++i) {
    auto thread = std::make_unique<SetupProcessSubThread>(static_cast<SetupThread::ID>(i));
    base::Thread::Options options;
    options.message_loop_type =
        i == SetupThread::FILE ? base::MessageLoop::Type::kUI : base::MessageLoop::Type::kDefault;
    thread->StartWithOptions(options);
    table->owned[i] = std::move(thread);
  }
}

void ShutdownSetupThreads() {
  SetupThreadTable* table = Table();
  for (int i = SetupThread::ID_COUNT - 1; i >= SetupThread::FILE; --i)
    table->owned[i].reset();
  table->blocking_pool->Shutdown();
}

base::SequencedWorkerPool* GetBlockingPool() {
  return Table()->blocking_pool.get();
}

}  // namespace setup
