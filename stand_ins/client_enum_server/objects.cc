#include "objects.h"

#include <new>
#include <vector>

#include "client_enum.h"
#include "entries.h"

namespace client_enum {

namespace {

ServerOptions g_options;
LONG g_objects = 0;
HANDLE g_noObjectsLeft = CreateEventW(nullptr, TRUE, FALSE, nullptr);

// {0B6C5B3E-9E7A-4B0D-8D2F-6A4C1E3F5B71}: lets the server recognise its own entries when a
// caller hands one back.
const IID IID_OwnEntry = {0x0b6c5b3e,
                          0x9e7a,
                          0x4b0d,
                          {0x8d, 0x2f, 0x6a, 0x4c, 0x1e, 0x3f, 0x5b, 0x71}};

void AddObject() {
  InterlockedIncrement(&g_objects);
}

void ReleaseObject() {
  if (InterlockedDecrement(&g_objects) == 0)
    SetEvent(g_noObjectsLeft);
}

// Reference counting shared by the objects below.
template <typename Base>
class CountedObject : public Base {
 public:
  CountedObject() { AddObject(); }
  virtual ~CountedObject() { ReleaseObject(); }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0)
      delete this;
    return refs;
  }

 private:
  LONG m_refs = 1;
};

class CProperties : public CountedObject<IDispatch>, public IClientProperties {
 public:
  explicit CProperties(const Entry& entry) : m_entry(entry) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
    } else if (iid == __uuidof(IClientProperties)) {
      *out = static_cast<IClientProperties*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return CountedObject<IDispatch>::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountedObject<IDispatch>::Release(); }

  // Only the named-property interface carries the values; late binding is not offered.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count)
      return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE
  Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

  HRESULT STDMETHODCALLTYPE GetProperty(VARIANT name, VARIANT* value) override {
    if (!value)
      return E_POINTER;
    VariantInit(value);
    if (name.vt != VT_BSTR || !name.bstrVal)
      return E_INVALIDARG;
    Record(L"GetProperty " + std::wstring(name.bstrVal));
    auto it = m_entry.properties.find(name.bstrVal);
    if (it == m_entry.properties.end())
      return DISP_E_UNKNOWNNAME;
    return ToVariant(it->second, value) ? S_OK : E_FAIL;
  }

 private:
  Entry m_entry;
};

class CEntry : public CountedObject<IClientEntry> {
 public:
  CEntry(const Entry& entry, size_t index) : m_entry(entry), m_index(index) {}
  size_t index() const { return m_index; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    if (iid == IID_OwnEntry) {
      *out = this;  // not AddRef'ed: used only while the caller holds the entry
      return S_OK;
    }
    if (iid != IID_IUnknown && iid != __uuidof(IClientEntry)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<IClientEntry*>(this);
    AddRef();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetValue(VARIANT* value) override {
    if (!value)
      return E_POINTER;
    VariantInit(value);
    Record(L"GetValue");
    if (m_entry.kind != Entry::kDispatch)
      return S_OK;
    CProperties* properties = new (std::nothrow) CProperties(m_entry);
    if (!properties)
      return E_OUTOFMEMORY;
    value->vt = VT_DISPATCH;
    value->pdispVal = properties;
    return S_OK;
  }

 private:
  Entry m_entry;
  size_t m_index;
};

class CEnumerator : public CountedObject<IClientEnumerator> {
 public:
  CEnumerator() : m_entries(ReadEntries(g_options.entries_path)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    if (iid != IID_IUnknown && iid != __uuidof(IClientEnumerator)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<IClientEnumerator*>(this);
    AddRef();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE FirstEntry(IClientEntry** entry) override {
    Record(L"FirstEntry");
    return EntryAt(0, entry);
  }

  HRESULT STDMETHODCALLTYPE NextEntry(IClientEntry* previous, IClientEntry** entry) override {
    Record(L"NextEntry");
    if (!entry)
      return E_POINTER;
    *entry = nullptr;
    void* own = nullptr;
    if (!previous || FAILED(previous->QueryInterface(IID_OwnEntry, &own)))
      return E_INVALIDARG;
    return EntryAt(static_cast<CEntry*>(own)->index() + 1, entry);
  }

 private:
  HRESULT EntryAt(size_t index, IClientEntry** entry) {
    if (!entry)
      return E_POINTER;
    *entry = nullptr;
    if (index >= m_entries.size())
      return S_FALSE;
    if (m_entries[index].kind == Entry::kFail)
      return E_FAIL;
    CEntry* created = new (std::nothrow) CEntry(m_entries[index], index);
    if (!created)
      return E_OUTOFMEMORY;
    *entry = created;
    return S_OK;
  }

  std::vector<Entry> m_entries;
};

class CFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // A static object: lives as long as the process.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    *out = nullptr;
    if (outer)
      return CLASS_E_NOAGGREGATION;
    Record(L"CreateInstance");
    CEnumerator* enumerator = new (std::nothrow) CEnumerator();
    if (!enumerator)
      return E_OUTOFMEMORY;
    HRESULT hr = enumerator->QueryInterface(iid, out);
    enumerator->Release();
    return hr;
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      AddObject();
    else
      ReleaseObject();
    return S_OK;
  }
};

CFactory g_factory;

}  // namespace

void SetServerOptions(const ServerOptions& options) {
  g_options = options;
}

void Record(const std::wstring& line) {
  if (g_options.record_path.empty())
    return;
  int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(n > 0 ? n - 1 : 0, '\0');
  if (n > 1)
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &bytes[0], n, nullptr, nullptr);
  bytes += "\n";
  HANDLE file = CreateFileW(g_options.record_path.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

HANDLE NoObjectsLeftEvent() {
  return g_noObjectsLeft;
}

IClassFactory* ServiceFactory() {
  return &g_factory;
}

}  // namespace client_enum
