#include "spool.h"

#include <deque>
#include <string>

namespace spool {

DWORD g_current_slot = TLS_OUT_OF_INDEXES;

namespace {

const wchar_t kLoopWindowClass[] = L"SpoolMessageLoopWindow";
const UINT kWakeMessage = WM_APP + 0x51;

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

LRESULT CALLBACK LoopWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

}  // namespace

struct MessageLoop::Impl {
  CRITICAL_SECTION lock;
  std::deque<Task*> queue;
  HWND window = nullptr;
  DWORD thread = 0;
  bool quit = false;
  bool wake_posted = false;
  WorkerFactory* workers = nullptr;

  // Runs what is queued now; tasks posted meanwhile wait for the next wake.
  void RunQueued() {
    EnterCriticalSection(&lock);
    std::deque<Task*> batch;
    batch.swap(queue);
    wake_posted = false;
    LeaveCriticalSection(&lock);
    while (!batch.empty()) {
      Task* task = batch.front();
      batch.pop_front();
      task->Run();
      task->Destroy();
    }
  }
};

namespace {

LRESULT CALLBACK LoopWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == kWakeMessage) {
    auto* impl = reinterpret_cast<MessageLoop::Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (impl)
      impl->RunQueued();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace

MessageLoop::MessageLoop() : impl_(new Impl()) {
  InitializeCriticalSection(&impl_->lock);
  impl_->thread = GetCurrentThreadId();
  WNDCLASSW wc = {};
  wc.lpfnWndProc = LoopWndProc;
  wc.hInstance = ThisModule();
  wc.lpszClassName = kLoopWindowClass;
  RegisterClassW(&wc);  // fails harmlessly when already registered
  impl_->window = CreateWindowExW(0, kLoopWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ThisModule(), nullptr);
  SetWindowLongPtrW(impl_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(impl_));
  if (g_current_slot != TLS_OUT_OF_INDEXES)
    TlsSetValue(g_current_slot, this);
}

MessageLoop::~MessageLoop() {
  if (g_current_slot != TLS_OUT_OF_INDEXES && TlsGetValue(g_current_slot) == this)
    TlsSetValue(g_current_slot, nullptr);
  EnterCriticalSection(&impl_->lock);
  HWND window = impl_->window;
  impl_->window = nullptr;
  std::deque<Task*> left;
  left.swap(impl_->queue);
  LeaveCriticalSection(&impl_->lock);
  if (window)
    DestroyWindow(window);
  for (Task* task : left)
    task->Destroy();  // never run: the loop is gone
  DeleteCriticalSection(&impl_->lock);
  delete impl_;
}

bool MessageLoop::PostTask(Task* task) {
  if (!task)
    return false;
  EnterCriticalSection(&impl_->lock);
  bool ok = impl_->window != nullptr;
  if (ok) {
    impl_->queue.push_back(task);
    if (!impl_->wake_posted)
      impl_->wake_posted = PostMessageW(impl_->window, kWakeMessage, 0, 0) != FALSE;
  }
  LeaveCriticalSection(&impl_->lock);
  if (!ok)
    task->Destroy();
  return ok;
}

bool MessageLoop::PostWorkerTask(Task* task) {
  WorkerFactory* factory = impl_->workers;
  Thread* worker = factory ? factory->CreateWorker() : nullptr;
  if (!worker || !worker->message_loop()) {
    if (worker)
      factory->DestroyWorker(worker);
    if (task)
      task->Destroy();
    return false;
  }
  MessageLoop* self = this;
  return worker->message_loop()->PostTask(MakeTask([task, self, factory, worker] {
    task->Run();
    task->Destroy();
    self->PostTask(MakeTask([factory, worker] { factory->DestroyWorker(worker); }));
  }));
}

void MessageLoop::SetWorkerFactory(WorkerFactory* factory) {
  impl_->workers = factory;
}

void MessageLoop::Quit() {
  EnterCriticalSection(&impl_->lock);
  impl_->quit = true;
  if (impl_->window)
    PostMessageW(impl_->window, WM_NULL, 0, 0);
  LeaveCriticalSection(&impl_->lock);
  // Wake a GetMessage that waits for this thread's own messages.
  PostThreadMessageW(impl_->thread, WM_NULL, 0, 0);
}

void MessageLoop::Run() {
  MSG msg;
  for (;;) {
    EnterCriticalSection(&impl_->lock);
    bool quit = impl_->quit;
    LeaveCriticalSection(&impl_->lock);
    if (quit)
      break;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0)
      break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  EnterCriticalSection(&impl_->lock);
  impl_->quit = false;
  LeaveCriticalSection(&impl_->lock);
}

DWORD MessageLoop::thread_id() const {
  return impl_->thread;
}

MessageLoop* MessageLoop::Current() {
  if (g_current_slot == TLS_OUT_OF_INDEXES)
    return nullptr;
  return static_cast<MessageLoop*>(TlsGetValue(g_current_slot));
}

MessageLoopForUI::MessageLoopForUI() = default;

struct Thread::Impl {
  std::string name;
  HANDLE handle = nullptr;
  DWORD id = 0;
  MessageLoop* loop = nullptr;
  HANDLE started = nullptr;
};

namespace {

class WorkerLoop : public MessageLoop {};

DWORD WINAPI ThreadMain(void* param) {
  auto* impl = static_cast<Thread::Impl*>(param);
  WorkerLoop loop;
  impl->loop = &loop;
  SetEvent(impl->started);
  loop.Run();
  impl->loop = nullptr;
  return 0;
}

}  // namespace

Thread::Thread(const char* name) : impl_(new Impl()) {
  impl_->name = name ? name : "";
}

Thread::~Thread() {
  Stop();
  delete impl_;
}

bool Thread::StartWithOptions(const Options& options) {
  if (impl_->handle)
    return false;
  impl_->started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!impl_->started)
    return false;
  impl_->handle = CreateThread(nullptr, options.stack_size, ThreadMain, impl_, 0, &impl_->id);
  bool ok = impl_->handle && WaitForSingleObject(impl_->started, INFINITE) == WAIT_OBJECT_0;
  CloseHandle(impl_->started);
  impl_->started = nullptr;
  return ok;
}

void Thread::Stop() {
  if (!impl_->handle)
    return;
  MessageLoop* loop = impl_->loop;
  if (loop) {
    // Quit after what is already queued has run.
    loop->PostTask(MakeTask([loop] { loop->Quit(); }));
  }
  WaitForSingleObject(impl_->handle, INFINITE);
  CloseHandle(impl_->handle);
  impl_->handle = nullptr;
  impl_->id = 0;
}

MessageLoop* Thread::message_loop() const {
  return impl_->loop;
}

DWORD Thread::thread_id() const {
  return impl_->id;
}

const char* Thread::name() const {
  return impl_->name.c_str();
}

}  // namespace spool

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH)
    spool::g_current_slot = TlsAlloc();
  else if (reason == DLL_PROCESS_DETACH && spool::g_current_slot != TLS_OUT_OF_INDEXES)
    TlsFree(spool::g_current_slot);
  return TRUE;
}
