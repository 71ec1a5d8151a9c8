// The UI pump: dispatches window messages and runs tasks. Work is signalled by a private
// message to a hidden window, so a modal loop (a message box) run by a task keeps
// running nestable tasks; delayed work uses a timer on the same window.
#include <windows.h>

#include <algorithm>
#include <atomic>

#include "base/message_pump.h"

namespace base {

namespace {

const wchar_t kWindowClass[] = L"AnvilSetup_MessagePumpWindow";
const UINT kMsgHaveWork = WM_USER + 1;
const UINT_PTR kTimerId = 1;

class MessagePumpForUI : public MessagePump {
 public:
  MessagePumpForUI() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &MessagePumpForUI::WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);  // a second registration in the process fails harmlessly
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                              nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }

  ~MessagePumpForUI() override {
    if (window_) {
      KillTimer(window_, kTimerId);
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      DestroyWindow(window_);
    }
  }

  void Run(Delegate* delegate) override {
    RunState state{delegate, false};
    RunState* outer = state_;
    state_ = &state;
    for (;;) {
      bool did_work = ProcessMessages();
      if (state.quit)
        break;
      did_work |= delegate->DoWork();
      if (state.quit)
        break;
      TimeTicks next = TimeTicks::max();
      did_work |= delegate->DoDelayedWork(&next);
      if (state.quit)
        break;
      if (did_work)
        continue;
      DWORD timeout = INFINITE;
      if (next != TimeTicks::max()) {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - Now()).count();
        timeout = static_cast<DWORD>(std::max<long long>(0, ms + 1));
      }
      MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    state_ = outer;
  }

  void Quit() override {
    if (state_)
      state_->quit = true;
  }

  void ScheduleWork() override {
    if (have_work_.exchange(true))
      return;
    if (!PostMessageW(window_, kMsgHaveWork, 0, 0))
      have_work_ = false;
  }

  void ScheduleDelayedWork(TimeTicks when) override {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when - Now()).count();
    SetTimer(window_, kTimerId, static_cast<UINT>(std::max<long long>(USER_TIMER_MINIMUM, ms)),
             nullptr);
  }

 private:
  struct RunState {
    Delegate* delegate;
    bool quit;
  };

  // True when a message was dispatched.
  bool ProcessMessages() {
    bool any = false;
    MSG msg;
    while (state_ && !state_->quit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      any = true;
      if (msg.message == WM_QUIT) {
        state_->quit = true;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    return any;
  }

  void OnHaveWork() {
    have_work_ = false;
    if (state_ && !state_->quit && state_->delegate->DoWork())
      ScheduleWork();
  }

  void OnTimer() {
    KillTimer(window_, kTimerId);
    if (!state_ || state_->quit)
      return;
    TimeTicks next = TimeTicks::max();
    state_->delegate->DoDelayedWork(&next);
    if (next != TimeTicks::max())
      ScheduleDelayedWork(next);
  }

  static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<MessagePumpForUI*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == kMsgHaveWork) {
      self->OnHaveWork();
      return 0;
    }
    if (self && message == WM_TIMER && wparam == kTimerId) {
      self->OnTimer();
      return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }

  HWND window_ = nullptr;
  RunState* state_ = nullptr;  // loop thread only
  std::atomic<bool> have_work_{false};
};

}  // namespace

std::unique_ptr<MessagePump> CreateUIMessagePump() {
  return std::make_unique<MessagePumpForUI>();
}

}  // namespace base
