// Drives a modal window of this process from a second thread through real window messages,
// while the test thread sits in ShowModal.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tern_test/screenshot.h"

namespace docwick_test {

// The name a UI framework window carries in its "LatticeName" property; empty when none.
std::wstring LatticeName(HWND hwnd);
// The first child (any depth) of `top` named `name`, or null.
HWND FindNamedChild(HWND top, const std::wstring& name);
// A visible top-level window of this process named `name`, waited for up to `timeout_ms`.
HWND WaitForTopLevel(const std::wstring& name, DWORD timeout_ms = 10000);
// Waits until `hwnd` is gone.
bool WaitForWindowGone(HWND hwnd, DWORD timeout_ms = 10000);
std::wstring WindowText(HWND hwnd);
// Clicks row `row` of a list view with a left button press and release in its middle.
bool ClickListRow(HWND list, int row);
using tern_test::CaptureWindow;

// Runs `script` on its own thread once the named top-level window is visible. The script
// returns with the window closed (or closes it); a window that never shows is a failure.
class CDialogDriver {
 public:
  using Script = std::function<void(HWND top)>;
  CDialogDriver(const std::wstring& window_name, Script script);
  ~CDialogDriver();
  CDialogDriver(const CDialogDriver&) = delete;
  CDialogDriver& operator=(const CDialogDriver&) = delete;
  // Waits for the script; false when the window never showed.
  bool Finish();

 private:
  std::thread m_thread;
  bool m_found = false;
  bool m_joined = false;
};

}  // namespace docwick_test
