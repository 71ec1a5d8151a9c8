#include "registration.h"

#include <oleauto.h>

#include <map>
#include <new>
#include <string>

#include "class_factory.h"
#include "module.h"
#include "registrar.h"
#include "registrar_script.h"
#include "resource.h"

namespace {

const char kAppId[] = "{C14B733B-D812-4CFD-9CA8-D6037E075DED}";

// Registration runs under the system default locale; the caller's locale comes back after.
class CThreadLocaleScope {
 public:
  CThreadLocaleScope() : m_saved(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
  ~CThreadLocaleScope() { SetThreadLocale(m_saved); }
  CThreadLocaleScope(const CThreadLocaleScope&) = delete;
  CThreadLocaleScope& operator=(const CThreadLocaleScope&) = delete;

 private:
  LCID m_saved;
};

template <typename T>
class CScopedCom {
 public:
  CScopedCom() = default;
  ~CScopedCom() {
    if (m_p)
      m_p->Release();
  }
  CScopedCom(const CScopedCom&) = delete;
  CScopedCom& operator=(const CScopedCom&) = delete;
  T** Receive() { return &m_p; }
  T* operator->() const { return m_p; }
  T* Get() const { return m_p; }

 private:
  T* m_p = nullptr;
};

class CScopedBstr {
 public:
  ~CScopedBstr() { SysFreeString(m_b); }
  BSTR* Receive() { return &m_b; }
  BSTR Get() const { return m_b; }

 private:
  BSTR m_b = nullptr;
};

HRESULT GetModulePath(std::wstring* path) {
  wchar_t buffer[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(g_module.m_hInstance, buffer, MAX_PATH);
  if (n == 0)
    return HRESULT_FROM_WIN32(GetLastError());
  if (n >= MAX_PATH)
    return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  path->assign(buffer, n);
  return S_OK;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty())
    return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

HRESULT RunScript(UINT id, WORD language, bool doRegister) {
  std::wstring modulePath;
  HRESULT hr = GetModulePath(&modulePath);
  if (FAILED(hr))
    return hr;
  HRSRC resource =
      FindResourceExW(g_module.m_hInstance, L"REGISTRY", MAKEINTRESOURCEW(id), language);
  HGLOBAL loaded = resource ? LoadResource(g_module.m_hInstance, resource) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data)
    return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
  const std::string text(data, SizeofResource(g_module.m_hInstance, resource));

  const std::map<std::string, std::string> replacements = {{"MODULE", Utf8(modulePath)},
                                                           {"APPID", kAppId}};
  docwick_ext::RegScript script;
  std::string error;
  if (!docwick_ext::ParseRegistrarScript(text, replacements, &script, &error))
    return E_UNEXPECTED;
  return ApplyRegistrarScript(script, doRegister, g_module.m_bPerUser);
}

typedef HRESULT(WINAPI* RegisterTypeLibForUserFunc)(ITypeLib*, OLECHAR*, OLECHAR*);
typedef HRESULT(WINAPI* UnRegisterTypeLibForUserFunc)(REFGUID, WORD, WORD, LCID, SYSKIND);

FARPROC OleAutFunction(const char* name) {
  HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
  return oleaut ? GetProcAddress(oleaut, name) : nullptr;
}

HRESULT LoadModuleTypeLib(std::wstring* modulePath, ITypeLib** typeLib) {
  HRESULT hr = GetModulePath(modulePath);
  if (FAILED(hr))
    return hr;
  hr = LoadTypeLibEx(modulePath->c_str(), REGKIND_NONE, typeLib);
  if (SUCCEEDED(hr))
    return hr;
  std::wstring tlb = *modulePath;
  size_t dot = tlb.rfind(L'.');
  size_t slash = tlb.rfind(L'\\');
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash))
    tlb.erase(dot);
  tlb += L".tlb";
  if (SUCCEEDED(LoadTypeLibEx(tlb.c_str(), REGKIND_NONE, typeLib))) {
    *modulePath = tlb;
    return S_OK;
  }
  return hr;
}

HRESULT RegisterModuleTypeLib() {
  std::wstring path;
  CScopedCom<ITypeLib> typeLib;
  HRESULT hr = LoadModuleTypeLib(&path, typeLib.Receive());
  if (FAILED(hr))
    return hr;
  CScopedBstr helpFile;
  std::wstring helpDir;
  if (SUCCEEDED(typeLib->GetDocumentation(-1, nullptr, nullptr, nullptr, helpFile.Receive())) &&
      helpFile.Get() && *helpFile.Get()) {
    helpDir = helpFile.Get();
    size_t slash = helpDir.rfind(L'\\');
    helpDir.erase(slash == std::wstring::npos ? 0 : slash);
  }
  OLECHAR* helpArg = helpDir.empty() ? nullptr : &helpDir[0];
  if (g_module.m_bPerUser) {
    auto forUser = reinterpret_cast<RegisterTypeLibForUserFunc>(
        reinterpret_cast<void*>(OleAutFunction("RegisterTypeLibForUser")));
    if (forUser)
      return forUser(typeLib.Get(), &path[0], helpArg);
  }
  return RegisterTypeLib(typeLib.Get(), &path[0], helpArg);
}

HRESULT UnregisterModuleTypeLib() {
  std::wstring path;
  CScopedCom<ITypeLib> typeLib;
  HRESULT hr = LoadModuleTypeLib(&path, typeLib.Receive());
  if (FAILED(hr))
    return hr;
  TLIBATTR* attr = nullptr;
  hr = typeLib->GetLibAttr(&attr);
  if (FAILED(hr))
    return hr;
  const TLIBATTR lib = *attr;
  typeLib->ReleaseTLibAttr(attr);
  if (g_module.m_bPerUser) {
    auto forUser = reinterpret_cast<UnRegisterTypeLibForUserFunc>(
        reinterpret_cast<void*>(OleAutFunction("UnRegisterTypeLibForUser")));
    if (forUser)
      return forUser(lib.guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid, lib.syskind);
  }
  return UnRegisterTypeLib(lib.guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid, lib.syskind);
}

const WORD kModuleScriptLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const WORD kClassScriptLanguage = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

HRESULT DoRegister() {
  HRESULT hr = RunScript(IDR_DOCWICKEXT, kModuleScriptLanguage, true);
  if (FAILED(hr))
    return hr;
  // No component categories to register for the class.
  for (const ObjectMapEntry* e = ObjectMapBegin(); e != ObjectMapEnd(); ++e) {
    hr = RunScript(e->nRegistryResource, kClassScriptLanguage, true);
    if (FAILED(hr))
      return hr;
  }
  return RegisterModuleTypeLib();
}

// Every step runs even after a failure, so a partly registered server is removed as far as
// possible; the first failure is reported.
HRESULT DoUnregister() {
  HRESULT first = S_OK;
  for (const ObjectMapEntry* e = ObjectMapBegin(); e != ObjectMapEnd(); ++e) {
    HRESULT hr = RunScript(e->nRegistryResource, kClassScriptLanguage, false);
    if (SUCCEEDED(first))
      first = hr;
  }
  HRESULT hr = UnregisterModuleTypeLib();
  if (SUCCEEDED(first))
    first = hr;
  hr = RunScript(IDR_DOCWICKEXT, kModuleScriptLanguage, false);
  if (SUCCEEDED(first))
    first = hr;
  return first;
}

template <typename F>
HRESULT Guarded(F&& body) {
  try {
    CThreadLocaleScope locale;
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace

HRESULT RegisterServer() {
  return Guarded(DoRegister);
}

HRESULT UnregisterServer() {
  return Guarded(DoUnregister);
}
