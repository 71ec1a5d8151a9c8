#include "base/thread.h"

#include <condition_variable>

#include <pthread.h>

#if defined(_WIN32)
#include <windows.h>
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
  struct StartSync {
    std::mutex lock;
    std::condition_variable cv;
    bool ready = false;
  } sync;
  struct StartArgs {
    Thread* self;
    Options options;
    StartSync* sync;
  } args{this, options, &sync};
  // pthreads (also under mingw-w64's posix model) take the requested stack size.
  auto thread_main = [](void* raw) -> void* {
    StartArgs* start = static_cast<StartArgs*>(raw);
    Thread* self = start->self;
    SetCurrentThreadName(self->name_);
    MessageLoop loop(start->options.message_loop_type);
    loop.set_thread_name(self->name_);
    {
      std::lock_guard<std::mutex> hold(start->sync->lock);
      self->message_loop_ = &loop;
      self->task_runner_ = loop.task_runner();
      start->sync->ready = true;
      start->sync->cv.notify_one();
    }
    // `start` lives on the starter's stack: not touched after the notification.
    self->Init();
    loop.Run();
    self->CleanUp();
    return nullptr;
  };
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  if (options.stack_size > 0)
    pthread_attr_setstacksize(&attributes, options.stack_size);
  int error = pthread_create(&thread_, &attributes, thread_main, &args);
  pthread_attr_destroy(&attributes);
  if (error != 0)
    return false;
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
  pthread_join(thread_, nullptr);
  message_loop_ = nullptr;
}

TaskRunnerPtr Thread::task_runner() const {
  return task_runner_;
}

}  // namespace base
