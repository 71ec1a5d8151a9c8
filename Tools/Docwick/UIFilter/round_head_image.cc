#include "UIFilter/round_head_image.h"

#include "windows/lattice_ptr.h"

namespace docwick {

namespace {

const int kHeadSize = 20;
const DWORD kMaskFilter = 0x3000000;
const DWORD kPictureFilter = 0x1000000;
const int kFillStyle = 2;
const int kScaleFill = 3;

HRESULT CreateMaskImage(ILatticeImage** out) {
  CScopedCanvas mask(CreateCanvas(kHeadSize, kHeadSize));
  int w = 0, h = 0;
  if (!GetMemBitmapSize(GetCanvasBitmap(mask.get()), &w, &h))
    return E_OUTOFMEMORY;
  SetCanvasFilter(mask.get(), kMaskFilter);
  SetDrawStyle(mask.get(), kFillStyle);
  SetSmooth(mask.get(), TRUE);
  SetColor(mask.get(), 0xFFFFFFFF);
  if (!DrawCircle(mask.get(), w / 2.0f, h / 2.0f, kHeadSize / 2 * GetDPIScale()))
    return E_FAIL;
  R32Texture* texture = GetTexture(mask.get());  // owned by the canvas; the image copies it
  CLatticePtr<ILatticeImage> image;
  HRESULT hr = CreateObject(CLSID_LatticeImage, IID_ILatticeImage, image.ReceiveVoid());
  if (SUCCEEDED(hr))
    hr = texture ? image->SetTexture(texture) : E_OUTOFMEMORY;
  if (SUCCEEDED(hr))
    *out = image.Detach();
  return hr;
}

}  // namespace

HRESULT CreateRoundHeadImage(const std::wstring& picture_path, ILatticeImage** out) {
  if (!out)
    return E_INVALIDARG;
  *out = nullptr;
  CLatticePtr<ILatticeImage> mask;
  HRESULT hr = CreateMaskImage(mask.Receive());
  if (FAILED(hr))
    return hr;
  CLatticePtr<ILatticeImage> picture;
  hr = CreateObject(CLSID_LatticeImage, IID_ILatticeImage, picture.ReceiveVoid());
  if (SUCCEEDED(hr))
    hr = picture->LoadFromFile(picture_path.c_str(), kScaleFill);
  if (FAILED(hr))
    return hr;

  RECT rect = {0, 0, kHeadSize, kHeadSize};
  ScaleRECT(&rect);
  // The rectangle is already in pixels: the canvas must not be scaled a second time.
  lattice::ScopedScaleIgnore no_scaling;
  CScopedCanvas canvas(CreateCanvas(rect.right - rect.left, rect.bottom - rect.top));
  if (!canvas.get())
    return E_OUTOFMEMORY;
  SetCanvasFilter(canvas.get(), kPictureFilter);
  hr = picture->DrawToCanvas(canvas.get(), &rect);
  if (SUCCEEDED(hr))
    hr = mask->DrawToCanvas(canvas.get(), &rect);
  if (FAILED(hr))
    return hr;
  CScopedTexture texture(CanvasToTexture(canvas.get()));
  CLatticePtr<ILatticeImage> head;
  hr = texture.get() ? CreateObject(CLSID_LatticeImage, IID_ILatticeImage, head.ReceiveVoid())
                     : E_OUTOFMEMORY;
  if (SUCCEEDED(hr))
    hr = head->SetTexture(texture.get());
  if (SUCCEEDED(hr))
    *out = head.Detach();
  return hr;
}

}  // namespace docwick
