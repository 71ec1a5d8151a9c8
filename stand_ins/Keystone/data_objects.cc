// The base library's reference-counted data objects: keyed data, arrays and byte buffers.
#include "keystone.h"

#include <map>
#include <new>
#include <string>
#include <vector>

namespace {

template <typename Interface>
class RefCounted : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, InterfaceId())) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&m_refs);
    if (n == 0)
      Destroy();
    return n;
  }

 protected:
  virtual ~RefCounted() = default;
  virtual REFIID InterfaceId() const = 0;
  virtual void Destroy() = 0;

 private:
  LONG m_refs = 1;
};

class KSData final : public RefCounted<IKSData> {
 public:
  HRESULT STDMETHODCALLTYPE SetUInt64(const char* name, unsigned long long value) override {
    if (!name)
      return E_INVALIDARG;
    m_strings.erase(name);
    m_numbers[name] = value;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetUInt64(const char* name, unsigned long long* value) override {
    if (!name || !value)
      return E_INVALIDARG;
    auto it = m_numbers.find(name);
    if (it == m_numbers.end())
      return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    *value = it->second;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetString(const char* name, const wchar_t* value) override {
    if (!name)
      return E_INVALIDARG;
    m_numbers.erase(name);
    m_strings[name] = value ? value : L"";
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetString(const char* name, const wchar_t** value) override {
    if (!name || !value)
      return E_INVALIDARG;
    auto it = m_strings.find(name);
    if (it == m_strings.end())
      return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    *value = it->second.c_str();
    return S_OK;
  }

 private:
  REFIID InterfaceId() const override { return IID_IKSData; }
  void Destroy() override { delete this; }
  std::map<std::string, unsigned long long> m_numbers;
  std::map<std::string, std::wstring> m_strings;
};

class KSArray final : public RefCounted<IKSArray> {
 public:
  ~KSArray() override {
    for (Item& item : m_items) {
      if (item.object)
        item.object->Release();
    }
  }
  UINT STDMETHODCALLTYPE GetCount() override { return static_cast<UINT>(m_items.size()); }
  HRESULT STDMETHODCALLTYPE AddObject(IUnknown* object) override {
    if (!object)
      return E_INVALIDARG;
    object->AddRef();
    m_items.push_back({object, 0});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetObjectAt(UINT index, REFIID iid, void** out) override {
    if (!out)
      return E_INVALIDARG;
    *out = nullptr;
    if (index >= m_items.size())
      return HRESULT_FROM_WIN32(ERROR_INVALID_INDEX);
    IUnknown* object = m_items[index].object;
    return object ? object->QueryInterface(iid, out) : E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE AddUInt32(UINT value) override {
    m_items.push_back({nullptr, value});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetUInt32At(UINT index, UINT* value) override {
    if (!value)
      return E_INVALIDARG;
    if (index >= m_items.size())
      return HRESULT_FROM_WIN32(ERROR_INVALID_INDEX);
    if (m_items[index].object)
      return E_NOINTERFACE;
    *value = m_items[index].number;
    return S_OK;
  }

 private:
  struct Item {
    IUnknown* object;
    UINT number;
  };
  REFIID InterfaceId() const override { return IID_IKSArray; }
  void Destroy() override { delete this; }
  std::vector<Item> m_items;
};

class KSBuffer final : public RefCounted<IKSBuffer> {
 public:
  HRESULT STDMETHODCALLTYPE Assign(const void* data, UINT size) override {
    if (!data && size)
      return E_INVALIDARG;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    m_bytes.assign(bytes, bytes + size);
    return S_OK;
  }
  const BYTE* STDMETHODCALLTYPE GetData() override { return m_bytes.data(); }
  UINT STDMETHODCALLTYPE GetSize() override { return static_cast<UINT>(m_bytes.size()); }

 private:
  REFIID InterfaceId() const override { return IID_IKSBuffer; }
  void Destroy() override { delete this; }
  std::vector<BYTE> m_bytes;
};

template <typename Concrete, typename Interface>
HRESULT Create(Interface** out) {
  if (!out)
    return E_INVALIDARG;
  *out = new (std::nothrow) Concrete();
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

KS_API HRESULT CreateKSArray(IKSArray** out) {
  return Create<KSArray>(out);
}

KS_API HRESULT CreateKSData(IKSData** out) {
  return Create<KSData>(out);
}

KS_API HRESULT CreateKSBuffer(IKSBuffer** out) {
  return Create<KSBuffer>(out);
}
