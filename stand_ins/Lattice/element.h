// The common part of every element: name, kind, layout, text, image, children, own window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "lattice.h"
#include "style.h"

namespace tinyxml2 {
class XMLElement;
}

namespace lattice {

enum class Kind { kWindow, kRow, kText, kButton, kImage, kList, kGroup };

extern const wchar_t kNameProperty[];     // "LatticeName"
extern const wchar_t kElementProperty[];  // the element behind a window, same process

class ElementCore {
 public:
  virtual ~ElementCore();
  virtual ILatticeElement* AsElement() = 0;

  Kind kind = Kind::kGroup;
  std::wstring name;
  std::wstring text;
  PosSpec pos;
  Style style;
  // Pixels: in the parent window's client area, or in the row for elements inside a row.
  RECT area = {0, 0, 0, 0};
  ATOM name_atom = 0;
  bool is_default = false;
  HWND hwnd = nullptr;
  // The window that paints this element when it has none of its own (a list).
  HWND paint_host = nullptr;
  std::vector<ILatticeElement*> children;  // one reference each
  ILatticeImage* image = nullptr;          // one reference

  ILatticeElement* FindNamed(const wchar_t* wanted);
  // Builds the children of `node` below this element: child windows of `parent_window` when
  // it is set, drawn elements otherwise. `area` is this element's rectangle in pixels.
  HRESULT AddChildren(const tinyxml2::XMLElement* node, HWND parent_window, const RECT& area);
  void ApplyText();
  void Repaint();
  // Forgets the windows of this element and its children (their window was destroyed).
  virtual void ForgetWindows();
};

ElementCore* CoreOf(ILatticeElement* element);

// IUnknown and ILatticeElement over ElementCore for each interface flavour.
template <typename Interface>
class ElementBase : public Interface, public ElementCore {
 public:
  ILatticeElement* AsElement() override { return this; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ILatticeElement))
      *out = static_cast<ILatticeElement*>(this);
    else if (Matches(iid))
      *out = static_cast<Interface*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0)
      delete this;
    return n;
  }

  const wchar_t* STDMETHODCALLTYPE GetName() override { return name.c_str(); }
  HWND STDMETHODCALLTYPE GetHWND() override { return hwnd; }
  ILatticeElement* STDMETHODCALLTYPE FindElement(const wchar_t* wanted) override {
    return FindNamed(wanted);
  }
  HRESULT STDMETHODCALLTYPE LoadXtml(const wchar_t* xtml) override;
  HRESULT STDMETHODCALLTYPE SetText(const wchar_t* value) override {
    text = value ? value : L"";
    ApplyText();
    return S_OK;
  }
  const wchar_t* STDMETHODCALLTYPE GetText() override { return text.c_str(); }
  HRESULT STDMETHODCALLTYPE SetImage(ILatticeImage* value) override {
    if (kind != Kind::kImage)
      return E_NOTIMPL;
    if (value)
      value->AddRef();
    if (image)
      image->Release();
    image = value;
    Repaint();
    return S_OK;
  }
  ILatticeImage* STDMETHODCALLTYPE GetImage() override { return image; }

 protected:
  virtual bool Matches(REFIID) { return false; }
  // The window the children of a loaded layout belong to, and their area.
  virtual HWND ChildParent() { return hwnd; }
  virtual RECT ChildArea() {
    RECT r = area;
    if (hwnd)
      GetClientRect(hwnd, &r);
    return r;
  }

 private:
  LONG refs_ = 1;
};

HRESULT LoadXtmlInto(ElementCore* core, const wchar_t* xtml, HWND parent, const RECT& area);

template <typename Interface>
HRESULT STDMETHODCALLTYPE ElementBase<Interface>::LoadXtml(const wchar_t* xtml) {
  return LoadXtmlInto(this, xtml, ChildParent(), ChildArea());
}

// A plain element (text, button, image, row, group).
class PlainElement : public ElementBase<ILatticeElement> {};

// Creates the list view element of a <list> node (list_view.cc).
ElementCore* NewListView(const tinyxml2::XMLElement* node,
                         const Style& inherited,
                         HWND parent,
                         const RECT& area);

}  // namespace lattice
