#include "dialog_driver.h"

#include "lattice.h"
#include "tern_test/window_search.h"

namespace docwick_test {

namespace {

struct FindChild {
  std::wstring name;
  HWND found = nullptr;
};

BOOL CALLBACK FindChildProc(HWND hwnd, LPARAM param) {
  auto* find = reinterpret_cast<FindChild*>(param);
  if (LatticeName(hwnd) == find->name) {
    find->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// Polls `condition` every 10 ms until it holds or `timeout_ms` pass.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeout_ms)
      return false;
    Sleep(10);
  }
  return true;
}

}  // namespace

std::wstring LatticeName(HWND hwnd) {
  ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"LatticeName")));
  wchar_t name[256] = {};
  if (!atom || !GlobalGetAtomNameW(atom, name, 256))
    return std::wstring();
  return name;
}

HWND FindNamedChild(HWND top, const std::wstring& name) {
  FindChild find{name};
  EnumChildWindows(top, &FindChildProc, reinterpret_cast<LPARAM>(&find));
  return find.found;
}

HWND WaitForTopLevel(const std::wstring& name, DWORD timeout_ms) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        found = tern_test::FindTopLevelWindow(GetCurrentProcessId(), [&name](HWND hwnd) {
          return IsWindowVisible(hwnd) && LatticeName(hwnd) == name;
        });
        return found != nullptr;
      },
      timeout_ms);
  return found;
}

bool WaitForWindowGone(HWND hwnd, DWORD timeout_ms) {
  return WaitFor([&] { return !IsWindow(hwnd); }, timeout_ms);
}

std::wstring WindowText(HWND hwnd) {
  wchar_t text[1024] = {};
  // WM_GETTEXT also asks a window of another process, where GetWindowText would not.
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, nullptr);
  return text;
}

bool ClickListRow(HWND list, int row) {
  LRESULT height = SendMessageW(list, LATTICE_LM_GETROWHEIGHT, 0, 0);
  if (height <= 0)
    return false;
  LPARAM point = MAKELPARAM(24, row * height + height / 2);
  // Sent, not posted: the press is handled before this returns.
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageW(list, WM_LBUTTONUP, 0, point);
  return true;
}

CDialogDriver::CDialogDriver(const std::wstring& window_name, Script script) {
  m_thread = std::thread([this, window_name, script] {
    // Scripts may save pictures through WIC.
    HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    HWND top = WaitForTopLevel(window_name);
    m_found = top != nullptr;
    if (top)
      script(top);
    // A script whose action did not close the window has failed already; closing it lets
    // ShowModal return instead of hanging the test.
    if (top && IsWindow(top))
      PostMessageW(top, WM_CLOSE, 0, 0);
    if (SUCCEEDED(com))
      CoUninitialize();
  });
}

CDialogDriver::~CDialogDriver() {
  Finish();
}

bool CDialogDriver::Finish() {
  if (!m_joined) {
    m_thread.join();
    m_joined = true;
  }
  return m_found;
}

}  // namespace docwick_test
