// The start-menu pin list object {A2A9545D-A0C2-42B4-9708-A0B2BADD77C8}. The pins are the
// shortcuts in the user's pinned folders ("...\Quick Launch\User Pinned\TaskBar" and
// "...\StartMenu"), as the shell keeps them: RemoveFromList deletes the item's shortcut when it
// is one of those, and appends the item's file-system path and a line feed (UTF-16) to the file
// named by the environment variable TERN_PIN_LIST_RECORD of the loading process.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <atomic>
#include <new>
#include <string>

#include "uninstall/shell/start_menu_pin_list.h"

// With external linkage: in an anonymous namespace the compiler would devirtualise calls on it.
// IShellItem's slots up to GetDisplayName; declared here so the stand-in needs no newer
// Windows headers.
struct ShellItemSlots : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE BindToHandler(void*, REFGUID, REFIID, void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetParent(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDisplayName(DWORD sigdn, LPWSTR* name) = 0;
};

namespace {

std::atomic<long> g_objects{0};

const DWORD kSigdnFileSysPath = 0x80058000;

void Record(const std::wstring& line) {
  wchar_t path[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"TERN_PIN_LIST_RECORD", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  std::wstring text = line + L"\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
            nullptr);
  CloseHandle(file);
}

// Whether `path` is a shortcut directly in one of the user's pinned folders.
bool IsPin(const std::wstring& path) {
  wchar_t roaming[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming)))
    return false;
  const std::wstring pinned =
      std::wstring(roaming) + L"\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\";
  for (const wchar_t* folder : {L"TaskBar\\", L"StartMenu\\"}) {
    std::wstring prefix = pinned + folder;
    if (path.size() > prefix.size() &&
        _wcsnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0 &&
        path.find(L'\\', prefix.size()) == std::wstring::npos) {
      return true;
    }
  }
  return false;
}

// Reference counting and QueryInterface for an object serving IUnknown and `Interface`.
template <typename Interface>
class ComObject : public Interface {
 public:
  explicit ComObject(const IID& iid) : iid_(iid) { ++g_objects; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out)
      return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, iid_)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    long left = --refs_;
    if (left == 0)
      delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  virtual ~ComObject() { --g_objects; }

 private:
  const IID& iid_;
  std::atomic<long> refs_{1};
};

class PinList final : public ComObject<IStartMenuPinnedListLocal> {
 public:
  PinList() : ComObject(kIStartMenuPinnedList) {}
  HRESULT STDMETHODCALLTYPE RemoveFromList(IUnknown* item) override {
    if (!item)
      return E_INVALIDARG;
    ShellItemSlots* shell_item = reinterpret_cast<ShellItemSlots*>(item);
    LPWSTR name = nullptr;
    HRESULT hr = shell_item->GetDisplayName(kSigdnFileSysPath, &name);
    if (FAILED(hr))
      return hr;
    if (IsPin(name))
      DeleteFileW(name);
    Record(name);
    CoTaskMemFree(name);
    return S_OK;
  }
};

class Factory final : public ComObject<IClassFactory> {
 public:
  Factory() : ComObject(IID_IClassFactory) {}
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (outer)
      return CLASS_E_NOAGGREGATION;
    PinList* object = new (std::nothrow) PinList();
    if (!object)
      return E_OUTOFMEMORY;
    HRESULT hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!IsEqualCLSID(clsid, kStartMenuPin))
    return CLASS_E_CLASSNOTAVAILABLE;
  Factory* factory = new (std::nothrow) Factory();
  if (!factory)
    return E_OUTOFMEMORY;
  HRESULT hr = factory->QueryInterface(riid, out);
  factory->Release();
  return hr;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
  return g_objects.load() == 0 ? S_OK : S_FALSE;
}
