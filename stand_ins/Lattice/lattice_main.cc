// Module entry, the host's object factory and element creation by layout name.
#include <new>

#include "element.h"
#include "image.h"
#include "keystone.h"
#include "lattice.h"
#include "tinyxml2.h"
#include "window.h"
#include "xtml_source.h"

namespace {

ILatticeObjectFactory* volatile g_factory = nullptr;

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    // The host creates our objects through the platform core, which must know our classes.
    KSRegisterClass(CLSID_LatticeImage, &lattice::CreateImageInstance);
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    lattice::DeleteFonts();
    lattice::ClearXtmlCache();
  }
  return TRUE;
}

LATTICE_API HRESULT SetCustomObjectFactory(ILatticeObjectFactory* factory) {
  InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_factory), factory);
  return S_OK;
}

LATTICE_API HRESULT CreateObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  ILatticeObjectFactory* factory = g_factory;
  if (!factory)
    return CO_E_NOTINITIALIZED;
  return factory->CreateObject(clsid, iid, out);
}

LATTICE_API HRESULT RawCreateLatticeElementByXtml(const wchar_t* xtml, ILatticeElement** out) {
  if (!xtml || !out)
    return E_INVALIDARG;
  *out = nullptr;
  const tinyxml2::XMLElement* node = lattice::FindXtmlNode(xtml);
  if (!node)
    return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
  if (strcmp(node->Name(), "window") == 0)
    return lattice::CreateWindowElement(node, out);
  lattice::PlainElement* element = new (std::nothrow) lattice::PlainElement();
  if (!element)
    return E_OUTOFMEMORY;
  element->kind = lattice::Kind::kRow;
  element->style = lattice::ReadStyle(node, lattice::Style());
  element->name = lattice::Utf8Attribute(node, "name");
  HRESULT hr = element->AddChildren(node, nullptr, element->area);
  if (FAILED(hr)) {
    element->Release();
    return hr;
  }
  *out = element;
  return S_OK;
}

LATTICE_API HRESULT LatticeElementFromHWND(HWND hwnd, ILatticeElement** out) {
  if (!out)
    return E_INVALIDARG;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  *out = pid == GetCurrentProcessId()
             ? static_cast<ILatticeElement*>(GetPropW(hwnd, lattice::kElementProperty))
             : nullptr;
  if (!*out)
    return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
  (*out)->AddRef();
  return S_OK;
}
