#include "tern_test/screenshot.h"

#include <wincodec.h>

namespace tern_test {

namespace {

// Owns one interface reference.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_)
      p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** Receive() { return &p_; }
  void** ReceiveVoid() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

}  // namespace

bool CaptureWindow(HWND hwnd, int* width, int* height, std::vector<BYTE>* bgra) {
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SendMessageW(hwnd, WM_NULL, 0, 0);
  // The client area: without a window manager the frame is not drawn on Xvfb.
  RECT r;
  if (!GetClientRect(hwnd, &r))
    return false;
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = *width;
  info.bmiHeader.biHeight = -*height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (memory && dib) {
    HGDIOBJ old = SelectObject(memory, dib);
    ok = BitBlt(memory, 0, 0, *width, *height, screen, r.left, r.top, SRCCOPY) != FALSE;
    GdiFlush();
    if (ok) {
      const BYTE* p = static_cast<const BYTE*>(bits);
      bgra->assign(p, p + size_t(*width) * *height * 4);
      for (size_t i = 3; i < bgra->size(); i += 4)
        (*bgra)[i] = 0xFF;
    }
    SelectObject(memory, old);
  }
  if (dib)
    DeleteObject(dib);
  if (memory)
    DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

HRESULT SavePng(const std::wstring& path, int width, int height, const std::vector<BYTE>& bgra) {
  if (width <= 0 || height <= 0 || bgra.size() < size_t(width) * height * 4)
    return E_INVALIDARG;
  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.ReceiveVoid());
  ComPtr<IWICStream> stream;
  if (SUCCEEDED(hr))
    hr = factory->CreateStream(stream.Receive());
  if (SUCCEEDED(hr))
    hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
  ComPtr<IWICBitmapEncoder> encoder;
  if (SUCCEEDED(hr))
    hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Receive());
  if (SUCCEEDED(hr))
    hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
  ComPtr<IWICBitmapFrameEncode> frame;
  if (SUCCEEDED(hr))
    hr = encoder->CreateNewFrame(frame.Receive(), nullptr);
  if (SUCCEEDED(hr))
    hr = frame->Initialize(nullptr);
  if (SUCCEEDED(hr))
    hr = frame->SetSize(width, height);
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  if (SUCCEEDED(hr))
    hr = frame->SetPixelFormat(&format);
  if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA))
    hr = E_NOTIMPL;
  if (SUCCEEDED(hr)) {
    hr = frame->WritePixels(height, width * 4, static_cast<UINT>(width * height * 4),
                            const_cast<BYTE*>(bgra.data()));
  }
  if (SUCCEEDED(hr))
    hr = frame->Commit();
  if (SUCCEEDED(hr))
    hr = encoder->Commit();
  return hr;
}

}  // namespace tern_test
