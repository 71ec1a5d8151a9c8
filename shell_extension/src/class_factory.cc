#include "class_factory.h"

#include <new>

#include "guids.h"
#include "module.h"
#include "resource.h"
#include "tern_shell_extension.h"

namespace {

typedef HRESULT (*CreatorFunc)(REFIID riid, void** ppv);

class CClassFactory final : public IClassFactory {
 public:
  explicit CClassFactory(CreatorFunc creator) : m_creator(creator) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv)
      return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *ppv = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }

  // The module keeps the first reference; any reference beyond it holds one module lock.
  STDMETHODIMP_(ULONG) AddRef() override {
    LONG n = InterlockedIncrement(&m_cRef);
    if (n == 2)
      g_module.Lock();
    return n;
  }

  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&m_cRef);
    if (n == 1)
      g_module.Unlock();
    else if (n == 0)
      delete this;
    return n;
  }

  STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override {
    if (!ppv)
      return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter)
      return CLASS_E_NOAGGREGATION;
    return m_creator(riid, ppv);
  }

  STDMETHODIMP LockServer(BOOL fLock) override {
    if (fLock)
      g_module.Lock();
    else
      g_module.Unlock();
    return S_OK;
  }

 private:
  volatile LONG m_cRef = 1;
  CreatorFunc m_creator;
};

struct MapSlot {
  ObjectMapEntry entry;
  CreatorFunc creator;
  CClassFactory* pFactory;
};

MapSlot g_objectMap[] = {
    {{&CLSID_TernShellExtension, IDR_TERNSHELLEXTENSION},
     &CTernShellExtension::CreateInstance,
     nullptr},
};

const ObjectMapEntry g_entries[] = {g_objectMap[0].entry};

}  // namespace

HRESULT GetClassObjectFromMap(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (!ppv)
    return E_POINTER;
  *ppv = nullptr;
  for (MapSlot& slot : g_objectMap) {
    if (!IsEqualCLSID(rclsid, *slot.entry.pclsid))
      continue;
    EnterCriticalSection(&g_module.m_csFactory);
    if (!slot.pFactory)
      slot.pFactory = new (std::nothrow) CClassFactory(slot.creator);
    CClassFactory* factory = slot.pFactory;
    LeaveCriticalSection(&g_module.m_csFactory);
    if (!factory)
      return E_OUTOFMEMORY;
    return factory->QueryInterface(riid, ppv);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

const ObjectMapEntry* ObjectMapBegin() {
  return g_entries;
}

const ObjectMapEntry* ObjectMapEnd() {
  return g_entries + sizeof(g_entries) / sizeof(g_entries[0]);
}

void ReleaseCachedFactories() {
  for (MapSlot& slot : g_objectMap) {
    if (slot.pFactory) {
      slot.pFactory->Release();
      slot.pFactory = nullptr;
    }
  }
}
