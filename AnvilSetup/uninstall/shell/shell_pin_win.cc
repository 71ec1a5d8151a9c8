#include "uninstall/shell/shell_pin_win.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

namespace uninstall {

// Declared here: the headers offer it only for newer Windows targets than ours. Outside the
// anonymous namespace, or the compiler, seeing no implementation, devirtualises the call.
struct IStartMenuPinnedListLocal : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE RemoveFromList(IUnknown* shell_item) = 0;
};

namespace {

const CLSID kStartMenuPin = {0xa2a9545d,
                             0xa0c2,
                             0x42b4,
                             {0x97, 0x08, 0xa0, 0xb2, 0xba, 0xdd, 0x77, 0xc8}};
const IID kIStartMenuPinnedList = {0x4cd19ada,
                                   0x25a5,
                                   0x4a32,
                                   {0xb3, 0xb7, 0x34, 0x7b, 0xee, 0x5b, 0xe3, 0x6b}};
const IID kIShellItem = {0x43826d1e,
                         0xe718,
                         0x42ee,
                         {0xbc, 0x55, 0xa1, 0xe2, 0x61, 0xc3, 0x7b, 0xfe}};
const CLSID kShellLink = {0x00021401,
                          0x0000,
                          0x0000,
                          {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

using CreateItemFunction = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);

template <typename T>
class ScopedComPtr {
 public:
  ScopedComPtr() = default;
  ~ScopedComPtr() {
    if (ptr_)
      ptr_->Release();
  }
  ScopedComPtr(const ScopedComPtr&) = delete;
  ScopedComPtr& operator=(const ScopedComPtr&) = delete;
  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  void** Receive() { return reinterpret_cast<void**>(&ptr_); }

 private:
  T* ptr_ = nullptr;
};

class ScopedApartment {
 public:
  ScopedApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ScopedApartment() {
    if (SUCCEEDED(hr_))
      CoUninitialize();
  }
  ScopedApartment(const ScopedApartment&) = delete;
  ScopedApartment& operator=(const ScopedApartment&) = delete;

 private:
  HRESULT hr_;
};

}  // namespace

long UnpinShellItem(const std::wstring& shortcut_path) {
  ScopedApartment apartment;
  // Missing before Vista, so it is looked up rather than imported.
  HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
  if (!shell32)
    shell32 = LoadLibraryW(L"shell32.dll");
  auto create_item = shell32 ? reinterpret_cast<CreateItemFunction>(reinterpret_cast<void*>(
                                   GetProcAddress(shell32, "SHCreateItemFromParsingName")))
                             : nullptr;
  if (!create_item)
    return E_NOTIMPL;
  ScopedComPtr<IUnknown> item;
  HRESULT hr = create_item(shortcut_path.c_str(), nullptr, kIShellItem, item.Receive());
  if (FAILED(hr))
    return hr;
  ScopedComPtr<IStartMenuPinnedListLocal> pin_list;
  hr = CoCreateInstance(kStartMenuPin, nullptr, CLSCTX_INPROC_SERVER, kIStartMenuPinnedList,
                        pin_list.Receive());
  if (FAILED(hr))
    return hr;
  return pin_list->RemoveFromList(item.get());
}

bool ResolveShortcutTarget(const std::wstring& shortcut_path, std::wstring* target) {
  ScopedApartment apartment;
  ScopedComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.Receive()))) {
    return false;
  }
  ScopedComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive())) ||
      FAILED(file->Load(shortcut_path.c_str(), STGM_READ)) ||
      FAILED(link->Resolve(nullptr, SLR_NO_UI | SLR_NOUPDATE))) {
    return false;
  }
  wchar_t path[MAX_PATH] = {};
  if (FAILED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)) || path[0] == L'\0')
    return false;
  target->assign(path);
  return true;
}

}  // namespace uninstall
