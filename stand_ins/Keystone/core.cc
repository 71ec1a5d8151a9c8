// The platform core object: created through Keystone.dll's own class factory, it creates the
// classes that modules register with KSRegisterClass.
#include "keystone.h"

#include <map>
#include <new>

#include "keystone_internal.h"

namespace {

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

CRITICAL_SECTION g_core_lock;
std::map<GUID, KSClassCreator, GuidLess>* g_classes = nullptr;
IKSPlatformCore* g_core = nullptr;  // the live core, not owned

class PlatformCore final : public IKSPlatformCore {
 public:
  PlatformCore() {
    EnterCriticalSection(&g_core_lock);
    g_core = this;
    LeaveCriticalSection(&g_core_lock);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IKSPlatformCore)) {
      *out = static_cast<IKSPlatformCore*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) {
      Shutdown();
      delete this;
    }
    return n;
  }

  HRESULT STDMETHODCALLTYPE CreateObject(REFCLSID clsid, REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    *out = nullptr;
    KSClassCreator creator = nullptr;
    EnterCriticalSection(&g_core_lock);
    if (g_classes) {
      auto it = g_classes->find(clsid);
      if (it != g_classes->end())
        creator = it->second;
    }
    LeaveCriticalSection(&g_core_lock);
    return creator ? creator(iid, out) : CLASS_E_CLASSNOTAVAILABLE;
  }

  HRESULT STDMETHODCALLTYPE Shutdown() override {
    EnterCriticalSection(&g_core_lock);
    if (g_core == this)
      g_core = nullptr;
    LeaveCriticalSection(&g_core_lock);
    return S_OK;
  }

 private:
  LONG refs_ = 1;
};

class CoreFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    *out = nullptr;
    if (outer)
      return CLASS_E_NOAGGREGATION;
    PlatformCore* core = new (std::nothrow) PlatformCore();
    if (!core)
      return E_OUTOFMEMORY;
    HRESULT hr = core->QueryInterface(iid, out);
    core->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

CoreFactory g_factory;

}  // namespace

namespace keystone {

void CoreStartup() {
  InitializeCriticalSection(&g_core_lock);
  g_classes = new std::map<GUID, KSClassCreator, GuidLess>();
}

void CoreShutdown() {
  delete g_classes;
  g_classes = nullptr;
  DeleteCriticalSection(&g_core_lock);
}

}  // namespace keystone

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_KSPlatformCore))
    return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

KS_API HRESULT CreateObjectFromDllFile(const wchar_t* dll_file,
                                       REFCLSID clsid,
                                       REFIID iid,
                                       void** out) {
  if (!dll_file || !out)
    return E_POINTER;
  *out = nullptr;
  std::wstring path = ks::ExeDir() + L"\\" + dll_file;
  HMODULE module = LoadLibraryW(path.c_str());
  if (!module)
    return HRESULT_FROM_WIN32(GetLastError());
  typedef HRESULT(STDAPICALLTYPE * GetClassObject)(REFCLSID, REFIID, void**);
  auto get = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  IClassFactory* factory = nullptr;
  HRESULT hr = get ? get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))
                   : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  if (SUCCEEDED(hr)) {
    hr = factory->CreateInstance(nullptr, iid, out);
    factory->Release();
  }
  // The module stays loaded for as long as the process: its objects may outlive this call.
  return hr;
}

KS_API HRESULT GetPlatformCore(IKSPlatformCore** out) {
  if (!out)
    return E_POINTER;
  EnterCriticalSection(&g_core_lock);
  *out = g_core;
  if (g_core)
    g_core->AddRef();
  LeaveCriticalSection(&g_core_lock);
  return *out ? S_OK : E_FAIL;
}

KS_API HRESULT KSRegisterClass(REFCLSID clsid, KSClassCreator creator) {
  if (!creator)
    return E_INVALIDARG;
  EnterCriticalSection(&g_core_lock);
  (*g_classes)[clsid] = creator;
  LeaveCriticalSection(&g_core_lock);
  return S_OK;
}
