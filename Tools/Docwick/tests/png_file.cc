#include "png_file.h"

#include <wincodec.h>

#include <math.h>

#include "tern_test/process.h"
#include "windows/lattice_ptr.h"

namespace docwick_test {

using docwick::CLatticePtr;

HRESULT SavePng(const std::wstring& path, int width, int height, const std::vector<BYTE>& bgra) {
  if (width <= 0 || height <= 0 || bgra.size() < size_t(width) * height * 4)
    return E_INVALIDARG;
  CLatticePtr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.ReceiveVoid());
  CLatticePtr<IWICStream> stream;
  if (SUCCEEDED(hr))
    hr = factory->CreateStream(stream.Receive());
  if (SUCCEEDED(hr))
    hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
  CLatticePtr<IWICBitmapEncoder> encoder;
  if (SUCCEEDED(hr))
    hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Receive());
  if (SUCCEEDED(hr))
    hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
  CLatticePtr<IWICBitmapFrameEncode> frame;
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

bool SaveBmp(const std::wstring& path, int width, int height, const std::vector<BYTE>& bgra) {
  int row = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + row * height;
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;  // bottom-up
  info.biPlanes = 1;
  info.biBitCount = 24;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  for (int y = height - 1; y >= 0; --y) {
    std::string line(row, '\0');
    for (int x = 0; x < width; ++x)
      memcpy(&line[x * 3], &bgra[(y * width + x) * 4], 3);
    bytes += line;
  }
  return tern_test::WriteFileBytes(path, bytes);
}

std::vector<BYTE> HeadPicture(int size, COLORREF rgb) {
  std::vector<BYTE> pixels(size_t(size) * size * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float fx = (x + 0.5f) / size, fy = (y + 0.5f) / size;
      bool head = hypotf(fx - 0.5f, fy - 0.40f) < 0.17f;
      bool body = hypotf((fx - 0.5f) / 1.4f, fy - 0.98f) < 0.26f;
      BYTE* p = &pixels[(y * size + x) * 4];
      bool white = head || body;
      p[0] = white ? 0xFF : GetBValue(rgb);
      p[1] = white ? 0xFF : GetGValue(rgb);
      p[2] = white ? 0xFF : GetRValue(rgb);
      p[3] = 0xFF;
    }
  }
  return pixels;
}

}  // namespace docwick_test
