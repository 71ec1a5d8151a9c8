// The UI loop under Wine: it dispatches window messages, and a task that shows a modal
// message box does not stop nestable tasks (and delayed ones) from running meanwhile.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop.h"
#include "base/thread.h"

namespace {

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  wchar_t class_name[16] = {};
  GetClassNameW(window, class_name, 16);
  if (std::wstring(class_name) == L"#32770" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
  }
  return TRUE;
}

// Presses OK on this thread's message box; until the box is up, tries again shortly.
void CloseBoxSoon(base::TaskRunnerPtr runner, std::vector<std::string>* order, int attempts) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
  if (box) {
    order->push_back("closer");
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return;
  }
  if (attempts > 0) {
    runner->PostDelayedTask(
        FROM_HERE, [runner, order, attempts] { CloseBoxSoon(runner, order, attempts - 1); },
        std::chrono::milliseconds(20));
  }
}

TEST(UIMessageLoopTest, NestableTasksRunWhileATaskShowsAMessageBox) {
  base::MessageLoop loop(base::MessageLoop::Type::kUI);
  auto runner = loop.task_runner();
  std::vector<std::string> order;
  int answer = 0;
  runner->PostTask(FROM_HERE, [&] {
    runner->PostNonNestableDelayedTask(
        FROM_HERE, [&] { order.push_back("non-nestable"); }, base::TimeDelta(0));
    runner->PostTask(FROM_HERE, [&] { CloseBoxSoon(runner, &order, 250); });
    answer = MessageBoxW(nullptr, L"loop test", L"UIMessageLoopTest", MB_OK);
    order.push_back("box-returned");
    runner->PostTask(FROM_HERE, [] { base::MessageLoop::current()->Quit(); });
  });
  loop.Run();
  EXPECT_EQ(IDOK, answer);
  EXPECT_EQ((std::vector<std::string>{"closer", "box-returned", "non-nestable"}), order);
}

TEST(UIMessageLoopTest, DelayedTaskFiresInsideTheModalLoop) {
  base::MessageLoop loop(base::MessageLoop::Type::kUI);
  auto runner = loop.task_runner();
  std::vector<std::string> order;
  runner->PostTask(FROM_HERE, [&] {
    runner->PostDelayedTask(
        FROM_HERE, [&] { CloseBoxSoon(runner, &order, 250); }, std::chrono::milliseconds(100));
    MessageBoxW(nullptr, L"delayed", L"UIMessageLoopTest", MB_OK);
    order.push_back("box-returned");
    base::MessageLoop::current()->Quit();
  });
  loop.Run();
  EXPECT_EQ((std::vector<std::string>{"closer", "box-returned"}), order);
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_APP + 7) {
    *reinterpret_cast<WPARAM*>(GetWindowLongPtrW(window, GWLP_USERDATA)) = wparam;
    base::MessageLoop::current()->Quit();
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// A message posted to a window of the loop's thread by another thread is dispatched by
// the loop itself, without any task being posted.
TEST(UIMessageLoopTest, WindowMessagesAreDispatched) {
  base::MessageLoop loop(base::MessageLoop::Type::kUI);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = &RecordingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"UIMessageLoopTestWindow";
  RegisterClassW(&wc);
  HWND window =
      CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(window);
  WPARAM received = 0;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&received));
  base::Thread other("Poster");
  other.Start();
  other.task_runner()->PostTask(FROM_HERE, [window] { PostMessageW(window, WM_APP + 7, 42, 0); });
  loop.Run();
  other.Stop();
  EXPECT_EQ(42u, received);
  DestroyWindow(window);
}

}  // namespace
