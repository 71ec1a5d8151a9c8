// The start-menu pin list object {A2A9545D-A0C2-42B4-9708-A0B2BADD77C8}: RemoveFromList
// appends the item's file-system path and a line feed (UTF-16) to the file named by the
// environment variable TERN_PIN_LIST_RECORD of the loading process.
#include <windows.h>

#include <objbase.h>

#include <atomic>
#include <new>
#include <string>

// Interfaces with external linkage: in an anonymous namespace the compiler would devirtualise
// calls on them.
// IShellItem's slots up to GetDisplayName; declared here so the stand-in needs no newer
// Windows headers.
struct ShellItemSlots : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE BindToHandler(void*, REFGUID, REFIID, void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetParent(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDisplayName(DWORD sigdn, LPWSTR* name) = 0;
};
// The pin list's interface: RemoveFromList follows the three IUnknown slots.
struct PinnedListSlots : public IUnknown {
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

class PinList final : public PinnedListSlots {
 public:
  PinList() { ++g_objects; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out)
      return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIStartMenuPinnedList)) {
      *out = this;
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
  HRESULT STDMETHODCALLTYPE RemoveFromList(IUnknown* item) override {
    if (!item)
      return E_INVALIDARG;
    ShellItemSlots* shell_item = reinterpret_cast<ShellItemSlots*>(item);
    LPWSTR name = nullptr;
    HRESULT hr = shell_item->GetDisplayName(kSigdnFileSysPath, &name);
    if (FAILED(hr))
      return hr;
    Record(name);
    CoTaskMemFree(name);
    return S_OK;
  }

 private:
  ~PinList() { --g_objects; }
  std::atomic<long> refs_{1};
};

class Factory final : public IClassFactory {
 public:
  Factory() { ++g_objects; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out)
      return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = this;
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

 private:
  ~Factory() { --g_objects; }
  std::atomic<long> refs_{1};
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
