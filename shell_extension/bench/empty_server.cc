// The benchmark's floor: an in-process COM server whose one class does nothing at all.
#include <windows.h>

#include <new>

namespace {

// {3F9B2C61-8E4D-4A7B-B1C2-5D6E7F809A1B}
const CLSID kEmptyClass = {0x3f9b2c61,
                           0x8e4d,
                           0x4a7b,
                           {0xb1, 0xc2, 0x5d, 0x6e, 0x7f, 0x80, 0x9a, 0x1b}};

volatile LONG g_locks = 0;

class CEmptyObject final : public IUnknown {
 public:
  CEmptyObject() { InterlockedIncrement(&g_locks); }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv)
      return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown))
      return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG n = --m_cRef;
    if (n == 0)
      delete this;
    return n;
  }

 private:
  ~CEmptyObject() { InterlockedDecrement(&g_locks); }
  ULONG m_cRef = 0;
};

class CEmptyFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv)
      return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory))
      return E_NOINTERFACE;
    *ppv = this;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv)
      return E_POINTER;
    *ppv = nullptr;
    if (outer)
      return CLASS_E_NOAGGREGATION;
    CEmptyObject* object = new (std::nothrow) CEmptyObject();
    if (!object)
      return E_OUTOFMEMORY;
    object->AddRef();
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock)
      InterlockedIncrement(&g_locks);
    else
      InterlockedDecrement(&g_locks);
    return S_OK;
  }
};

CEmptyFactory g_factory;

}  // namespace

STDAPI DllCanUnloadNow() {
  return g_locks == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  if (!ppv)
    return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(rclsid, kEmptyClass))
    return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, ppv);
}
