#include "image.h"

#include <wincodec.h>

#include <algorithm>
#include <new>
#include <vector>

#include "canvas.h"
#include "lattice.h"

namespace lattice {

namespace {

template <typename T>
class ScopedCom {
 public:
  ScopedCom() = default;
  ~ScopedCom() {
    if (p_)
      p_->Release();
  }
  ScopedCom(const ScopedCom&) = delete;
  ScopedCom& operator=(const ScopedCom&) = delete;
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** receive() { return &p_; }
  void** receive_void() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

// COM for the duration of a decode on threads that have not initialised it themselves.
class ScopedComInit {
 public:
  ScopedComInit() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ScopedComInit() {
    if (SUCCEEDED(hr_))
      CoUninitialize();
  }
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;

 private:
  HRESULT hr_;
};

HRESULT DecodeFile(const wchar_t* path, R32Texture** out) {
  ScopedComInit com;
  ScopedCom<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.receive_void());
  if (FAILED(hr))
    return hr;
  ScopedCom<IWICBitmapDecoder> decoder;
  hr = factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ,
                                          WICDecodeMetadataCacheOnDemand, decoder.receive());
  if (FAILED(hr))
    return hr;
  ScopedCom<IWICBitmapFrameDecode> frame;
  hr = decoder->GetFrame(0, frame.receive());
  if (FAILED(hr))
    return hr;
  ScopedCom<IWICFormatConverter> converter;
  hr = factory->CreateFormatConverter(converter.receive());
  if (SUCCEEDED(hr)) {
    hr = converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                               nullptr, 0.0, WICBitmapPaletteTypeCustom);
  }
  UINT w = 0, h = 0;
  if (SUCCEEDED(hr))
    hr = converter->GetSize(&w, &h);
  if (FAILED(hr))
    return hr;
  if (w == 0 || h == 0 || w > 8192 || h > 8192)
    return E_INVALIDARG;
  std::vector<BYTE> pixels(static_cast<size_t>(w) * h * 4);
  hr = converter->CopyPixels(nullptr, w * 4, static_cast<UINT>(pixels.size()), pixels.data());
  if (FAILED(hr))
    return hr;
  *out = CreateTextureFromPixels(static_cast<int>(w), static_cast<int>(h), pixels.data(),
                                 static_cast<int>(w * 4), 0);
  return *out ? S_OK : E_OUTOFMEMORY;
}

// A copy of the part of `texture` inside `r`.
R32Texture* Crop(R32Texture* texture, const RECT& r) {
  const uint32_t* pixels = nullptr;
  int w = 0, h = 0;
  uint32_t filter = 0;
  if (!GetTexturePixels(texture, &pixels, &w, &h, &filter))
    return nullptr;
  return CreateTextureFromPixels(r.right - r.left, r.bottom - r.top, pixels + r.top * w + r.left,
                                 w * 4, filter);
}

class Image final : public ILatticeImage {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ILatticeImage)) {
      *out = static_cast<ILatticeImage*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0)
      delete this;
    return n;
  }

  HRESULT STDMETHODCALLTYPE LoadFromFile(const wchar_t* path, int scale_mode) override {
    if (!path || scale_mode < LATTICE_SCALE_NONE || scale_mode > LATTICE_SCALE_FILL)
      return E_INVALIDARG;
    R32Texture* texture = nullptr;
    HRESULT hr = DecodeFile(path, &texture);
    if (FAILED(hr))
      return hr;
    Replace(texture);
    scale_mode_ = scale_mode;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetTexture(R32Texture* texture) override {
    R32Texture* copy = texture ? CopyTexture(texture) : nullptr;
    if (!copy)
      return E_INVALIDARG;
    Replace(copy);
    return S_OK;
  }
  R32Texture* STDMETHODCALLTYPE GetTexture() override { return texture_; }
  HRESULT STDMETHODCALLTYPE GetSize(SIZE* size) override {
    const uint32_t* pixels = nullptr;
    int w = 0, h = 0;
    if (!size)
      return E_INVALIDARG;
    if (!GetTexturePixels(texture_, &pixels, &w, &h, nullptr))
      return E_UNEXPECTED;
    size->cx = w;
    size->cy = h;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DrawToCanvas(R32Canvas* canvas, const RECT* dest) override;

 private:
  ~Image() { ReleaseTexture(texture_); }
  void Replace(R32Texture* texture) {
    ReleaseTexture(texture_);
    texture_ = texture;
  }

  LONG refs_ = 1;
  R32Texture* texture_ = nullptr;
  int scale_mode_ = LATTICE_SCALE_STRETCH;
};

HRESULT Image::DrawToCanvas(R32Canvas* canvas, const RECT* dest) {
  SIZE size;
  if (!canvas || !dest || FAILED(GetSize(&size)))
    return E_INVALIDARG;
  LONG dw = dest->right - dest->left, dh = dest->bottom - dest->top;
  if (dw <= 0 || dh <= 0)
    return E_INVALIDARG;
  RECT target = *dest;
  switch (scale_mode_) {
    case LATTICE_SCALE_NONE:
      target.right = target.left + size.cx;
      target.bottom = target.top + size.cy;
      break;
    case LATTICE_SCALE_FIT: {
      double scale = std::min(double(dw) / size.cx, double(dh) / size.cy);
      LONG w = LONG(size.cx * scale + 0.5), h = LONG(size.cy * scale + 0.5);
      target.left += (dw - w) / 2;
      target.top += (dh - h) / 2;
      target.right = target.left + w;
      target.bottom = target.top + h;
      break;
    }
    case LATTICE_SCALE_FILL: {
      // The centre part of the picture with the aspect of the rectangle.
      double scale = std::max(double(dw) / size.cx, double(dh) / size.cy);
      LONG w = std::max(1L, LONG(dw / scale + 0.5)), h = std::max(1L, LONG(dh / scale + 0.5));
      w = std::min(w, size.cx);
      h = std::min(h, size.cy);
      RECT crop = {(size.cx - w) / 2, (size.cy - h) / 2, 0, 0};
      crop.right = crop.left + w;
      crop.bottom = crop.top + h;
      R32Texture* part = Crop(texture_, crop);
      if (!part)
        return E_OUTOFMEMORY;
      BOOL ok = DrawTexture(canvas, part, &target);
      ReleaseTexture(part);
      return ok ? S_OK : E_FAIL;
    }
    default:
      break;
  }
  return DrawTexture(canvas, texture_, &target) ? S_OK : E_FAIL;
}

}  // namespace

HRESULT STDMETHODCALLTYPE CreateImageInstance(REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  Image* image = new (std::nothrow) Image();
  if (!image)
    return E_OUTOFMEMORY;
  HRESULT hr = image->QueryInterface(iid, out);
  image->Release();
  return hr;
}

}  // namespace lattice
