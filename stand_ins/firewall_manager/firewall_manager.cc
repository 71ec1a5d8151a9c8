// The firewall manager, its local policy, the current profile and the authorised-applications
// collection, served by one object. Remove drops the path (compared without regard to case)
// from firewall_authorized.txt and appends it to firewall_removals.txt, both beside the DLL.
#include <windows.h>

#include <netfw.h>

#include <atomic>
#include <fstream>
#include <string>
#include <vector>

#include "util/firewall_manager_ids.h"

namespace {

const IID kIidNetFwPolicy = {0xd46d2478,
                             0x9ac9,
                             0x4008,
                             {0x9d, 0xc7, 0x55, 0x63, 0xce, 0x55, 0x36, 0xcc}};
const IID kIidNetFwProfile = {0x174a0dda,
                              0xe9f9,
                              0x449d,
                              {0x99, 0x3b, 0x21, 0xab, 0x66, 0x7c, 0xa4, 0x56}};
const IID kIidNetFwAuthorizedApplications = {0x644efd52,
                                             0xccf9,
                                             0x486c,
                                             {0x97, 0xa2, 0x39, 0xf3, 0x52, 0x57, 0x0b, 0x30}};

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};

std::wstring BesideModule(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(g_module, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

std::string Utf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string result(size > 0 ? size - 1 : 0, '\0');
  if (size > 1)
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], size, nullptr, nullptr);
  return result;
}

bool SameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1,
                                                b.c_str(), -1) == CSTR_EQUAL;
}

class Firewall : public INetFwMgr,
                 public INetFwPolicy,
                 public INetFwProfile,
                 public INetFwAuthorizedApplications {
 public:
  Firewall() { ++g_objects; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidNetFwMgr)
      *out = static_cast<INetFwMgr*>(this);
    else if (iid == kIidNetFwPolicy)
      *out = static_cast<INetFwPolicy*>(this);
    else if (iid == kIidNetFwProfile)
      *out = static_cast<INetFwProfile*>(this);
    else if (iid == kIidNetFwAuthorizedApplications)
      *out = static_cast<INetFwAuthorizedApplications*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    long left = --refs_;
    if (left == 0)
      delete this;
    return left;
  }

  // IDispatch: late binding is not served.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // INetFwMgr
  HRESULT STDMETHODCALLTYPE get_LocalPolicy(INetFwPolicy** policy) override {
    return Give(static_cast<INetFwPolicy*>(this), policy);
  }
  HRESULT STDMETHODCALLTYPE get_CurrentProfileType(NET_FW_PROFILE_TYPE* type) override {
    *type = NET_FW_PROFILE_STANDARD;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RestoreDefaults() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsPortAllowed(BSTR,
                                          NET_FW_IP_VERSION,
                                          LONG,
                                          BSTR,
                                          NET_FW_IP_PROTOCOL,
                                          VARIANT*,
                                          VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  IsIcmpTypeAllowed(NET_FW_IP_VERSION, BSTR, BYTE, VARIANT*, VARIANT*) override {
    return E_NOTIMPL;
  }

  // INetFwPolicy
  HRESULT STDMETHODCALLTYPE get_CurrentProfile(INetFwProfile** profile) override {
    return Give(static_cast<INetFwProfile*>(this), profile);
  }
  HRESULT STDMETHODCALLTYPE GetProfileByType(NET_FW_PROFILE_TYPE,
                                             INetFwProfile** profile) override {
    return Give(static_cast<INetFwProfile*>(this), profile);
  }

  // INetFwProfile: only the authorised applications are served.
  HRESULT STDMETHODCALLTYPE get_Type(NET_FW_PROFILE_TYPE* type) override {
    *type = NET_FW_PROFILE_STANDARD;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_FirewallEnabled(VARIANT_BOOL* enabled) override {
    *enabled = VARIANT_TRUE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_FirewallEnabled(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ExceptionsNotAllowed(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ExceptionsNotAllowed(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NotificationsDisabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_NotificationsDisabled(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE
  get_UnicastResponsesToMulticastBroadcastDisabled(VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  put_UnicastResponsesToMulticastBroadcastDisabled(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_RemoteAdminSettings(INetFwRemoteAdminSettings**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_IcmpSettings(INetFwIcmpSettings**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_GloballyOpenPorts(INetFwOpenPorts**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Services(INetFwServices**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE
  get_AuthorizedApplications(INetFwAuthorizedApplications** apps) override {
    return Give(static_cast<INetFwAuthorizedApplications*>(this), apps);
  }

  // INetFwAuthorizedApplications
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    *count = static_cast<LONG>(ReadAuthorized().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Add(INetFwAuthorizedApplication*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Remove(BSTR image) override {
    if (!image)
      return E_INVALIDARG;
    const std::string path = Utf8(image);
    std::ofstream(BesideModule(L"firewall_removals.txt").c_str(), std::ios::app | std::ios::binary)
        << path << "\n";
    std::vector<std::string> kept, authorized = ReadAuthorized();
    for (const std::string& entry : authorized) {
      if (!SameNoCase(entry, path))
        kept.push_back(entry);
    }
    if (kept.size() == authorized.size())
      return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    std::ofstream out(BesideModule(L"firewall_authorized.txt").c_str(),
                      std::ios::trunc | std::ios::binary);
    for (const std::string& entry : kept)
      out << entry << "\n";
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Item(BSTR, INetFwAuthorizedApplication**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

 private:
  virtual ~Firewall() { --g_objects; }

  template <typename T>
  HRESULT Give(T* object, T** out) {
    if (!out)
      return E_POINTER;
    AddRef();
    *out = object;
    return S_OK;
  }

  static std::vector<std::string> ReadAuthorized() {
    std::vector<std::string> entries;
    std::ifstream in(BesideModule(L"firewall_authorized.txt").c_str(), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty())
        entries.push_back(line);
    }
    return entries;
  }

  std::atomic<long> refs_{1};
};

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer)
      return CLASS_E_NOAGGREGATION;
    Firewall* firewall = new (std::nothrow) Firewall();
    if (!firewall)
      return E_OUTOFMEMORY;
    HRESULT hr = firewall->QueryInterface(iid, out);
    firewall->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? ++g_objects : --g_objects;
    return S_OK;
  }
};

Factory g_factory;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH)
    g_module = instance;
  return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (clsid != kClsidNetFwMgr)
    return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
  return g_objects == 0 ? S_OK : S_FALSE;
}
