#include "base/thread.h"

#include <condition_variable>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

#include "base/logging.h"

namespace base {

namespace {
thread_local std::string g_thread_name;
}  // namespace

void SetCurrentThreadName(const std::string& name) {
  g_thread_name = name;
#if defined(_WIN32)
  // Debuggers show the name where the system can keep one (Windows 10 and later).
  using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  auto set_description = reinterpret_cast<SetDescription>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
  if (set_description)
    set_description(GetCurrentThread(), std::wstring(name.begin(), name.end()).c_str());
#else
  // Linux allows 15 characters; the full name stays in g_thread_name.
  pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
#endif
}

const std::string& GetCurrentThreadName() {
  return g_thread_name;
}

Thread::Thread(const std::string& name) : name_(name), wraps_existing_loop_(false) {}

Thread::Thread(const std::string& name, MessageLoop* existing_loop)
    : name_(name),
      wraps_existing_loop_(true),
      message_loop_(existing_loop),
      task_runner_(existing_loop ? existing_loop->task_runner() : nullptr) {}

Thread::~Thread() {
  Stop();
}

bool Thread::Start() {
  return StartWithOptions(Options());
}

bool Thread::StartWithOptions(const Options& options) {
  DCHECK(!wraps_existing_loop_ && !started_);
  if (wraps_existing_loop_ || started_)
    return false;
  // The stack size is a hint: std::thread takes the platform default.
  struct StartSync {
    std::mutex lock;
    std::condition_variable cv;
    bool ready = false;
  } sync;
  thread_ = std::thread([this, options, &sync] {
    SetCurrentThreadName(name_);
    MessageLoop loop(options.message_loop_type);
    loop.set_thread_name(name_);
    {
      std::lock_guard<std::mutex> hold(sync.lock);
      message_loop_ = &loop;
      task_runner_ = loop.task_runner();
      sync.ready = true;
      sync.cv.notify_one();
    }
    Init();
    loop.Run();
    CleanUp();
  });
  std::unique_lock<std::mutex> hold(sync.lock);
  sync.cv.wait(hold, [&sync] { return sync.ready; });
  started_ = true;
  return true;
}

void Thread::Stop() {
  if (!started_ || stopped_)
    return;
  stopped_ = true;
  task_runner_->PostTask(FROM_HERE, [] { MessageLoop::current()->Quit(); });
  thread_.join();
  message_loop_ = nullptr;
}

TaskRunnerPtr Thread::task_runner() const {
  return task_runner_;
}

}  // namespace base
