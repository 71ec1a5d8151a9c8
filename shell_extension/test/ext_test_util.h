// Shared helpers of the shell-extension tests: where the DLLs are, registry read-back, and the
// expected debugger-output line.
#pragma once

#include <windows.h>

#include <string>

namespace docwickext_test {

extern const wchar_t kClsidText[];

// The shipped DLL beside the test program, and the test build with the seam.
std::wstring ExtDllPath();
std::wstring SeamDllPath();

bool KeyExists(HKEY root, const std::wstring& path);
// The string value `name` (empty = default value); false when key or value is missing.
bool ReadString(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring* out);
bool ValueExists(HKEY root, const std::wstring& path, const std::wstring& name);
void DeleteTree(HKEY root, const std::wstring& path);
bool CreateKey(HKEY root, const std::wstring& path);

// "[PelicanShellExt][5.0][0x<low 32 bits of module>], " + message.
std::wstring LogLine(HMODULE module, const std::wstring& message);

// Narrow copy for test messages.
std::string Narrow(const std::wstring& text);

// The export of the loaded module, typed.
template <typename F>
F Export(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

typedef HRESULT(STDAPICALLTYPE* DllCanUnloadNowFunc)();
typedef HRESULT(STDAPICALLTYPE* DllGetClassObjectFunc)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* DllRegisterServerFunc)();
typedef HRESULT(STDAPICALLTYPE* DllInstallFunc)(BOOL, LPCWSTR);

// A COM pointer released on scope exit.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  void Reset() {
    if (p_)
      p_->Release();
    p_ = nullptr;
  }
  T** Receive() {
    Reset();
    return &p_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

// A popup menu destroyed on scope exit.
class ScopedMenu {
 public:
  ScopedMenu() : menu_(CreatePopupMenu()) {}
  ~ScopedMenu() { DestroyMenu(menu_); }
  ScopedMenu(const ScopedMenu&) = delete;
  ScopedMenu& operator=(const ScopedMenu&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

}  // namespace docwickext_test
