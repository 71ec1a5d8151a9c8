#include "element.h"

#include <atomic>

#include "tinyxml2.h"
#include "xtml_source.h"

namespace lattice {

const wchar_t kNameProperty[] = L"LatticeName";
const wchar_t kElementProperty[] = L"LatticeElement";

namespace {

std::atomic<int> g_next_control_id{1000};

Kind KindOf(const char* tag) {
  if (strcmp(tag, "text") == 0)
    return Kind::kText;
  if (strcmp(tag, "button") == 0)
    return Kind::kButton;
  if (strcmp(tag, "image") == 0)
    return Kind::kImage;
  if (strcmp(tag, "list") == 0)
    return Kind::kList;
  return Kind::kGroup;
}

HWND CreateControl(ElementCore* core, HWND parent) {
  const wchar_t* cls = nullptr;
  DWORD style = WS_CHILD | WS_VISIBLE;
  if (core->kind == Kind::kText) {
    cls = L"Static";
    style |= SS_LEFT | SS_NOPREFIX;
    if (core->style.vcenter)
      style |= SS_CENTERIMAGE | SS_ENDELLIPSIS;
  } else if (core->kind == Kind::kButton) {
    cls = L"Button";
    style |= WS_TABSTOP | (core->is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
  } else {
    return nullptr;
  }
  const RECT& r = core->area;
  int id = g_next_control_id.fetch_add(1) % 0x7000 + 100;
  HWND hwnd = CreateWindowExW(0, cls, core->text.c_str(), style, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, parent, reinterpret_cast<HMENU>(INT_PTR(id)),
                              GetModuleHandleW(nullptr), nullptr);
  if (hwnd)
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(core->style.font)), FALSE);
  return hwnd;
}

}  // namespace

ElementCore::~ElementCore() {
  for (ILatticeElement* child : children)
    child->Release();
  if (image)
    image->Release();
}

ElementCore* CoreOf(ILatticeElement* element) {
  return element ? dynamic_cast<ElementCore*>(element) : nullptr;
}

ILatticeElement* ElementCore::FindNamed(const wchar_t* wanted) {
  if (!wanted)
    return nullptr;
  for (ILatticeElement* child : children) {
    if (CoreOf(child)->name == wanted)
      return child;
    if (ILatticeElement* found = child->FindElement(wanted))
      return found;
  }
  return nullptr;
}

void ElementCore::ApplyText() {
  if (hwnd && kind != Kind::kList)
    SetWindowTextW(hwnd, text.c_str());
  Repaint();
}

void ElementCore::Repaint() {
  if (hwnd)
    InvalidateRect(hwnd, nullptr, TRUE);
  else if (paint_host)
    InvalidateRect(paint_host, nullptr, FALSE);
}

void ElementCore::ForgetWindows() {
  for (ILatticeElement* child : children)
    CoreOf(child)->ForgetWindows();
  if (name_atom)
    GlobalDeleteAtom(name_atom);
  name_atom = 0;
  hwnd = nullptr;
  paint_host = nullptr;
}

HRESULT ElementCore::AddChildren(const tinyxml2::XMLElement* node,
                                 HWND parent_window,
                                 const RECT& parent_area) {
  for (const tinyxml2::XMLElement* e = node->FirstChildElement(); e; e = e->NextSiblingElement()) {
    Kind kind = KindOf(e->Name());
    RECT area = ResolvePos(ParsePos(e), parent_area);
    ElementCore* child = nullptr;
    if (kind == Kind::kList && parent_window) {
      child = NewListView(e, style, parent_window, area);
      if (!child)
        return E_FAIL;
    } else {
      child = new PlainElement();
      child->kind = kind;
      child->style = ReadStyle(e, style);
      child->name = Utf8Attribute(e, "name");
      child->text = Utf8Attribute(e, "text");
      child->pos = ParsePos(e);
      child->is_default = e->BoolAttribute("default", false);
      child->area = area;
      if (parent_window) {
        child->hwnd = CreateControl(child, parent_window);
        if (!child->hwnd && (kind == Kind::kText || kind == Kind::kButton)) {
          child->AsElement()->Release();
          return HRESULT_FROM_WIN32(GetLastError());
        }
      }
      if (!child->hwnd)
        child->paint_host = parent_window ? parent_window : paint_host;
    }
    if (child->hwnd) {
      SetPropW(child->hwnd, kElementProperty, child->AsElement());
      if (!child->name.empty()) {
        child->name_atom = GlobalAddAtomW(child->name.c_str());
        SetPropW(child->hwnd, kNameProperty, reinterpret_cast<HANDLE>(UINT_PTR(child->name_atom)));
      }
    }
    children.push_back(child->AsElement());
    if (kind == Kind::kGroup || kind == Kind::kRow) {
      HRESULT hr = child->AddChildren(e, parent_window, area);
      if (FAILED(hr))
        return hr;
    }
  }
  return S_OK;
}

HRESULT LoadXtmlInto(ElementCore* core, const wchar_t* xtml, HWND parent, const RECT& area) {
  const tinyxml2::XMLElement* node = FindXtmlNode(xtml);
  if (!node)
    return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
  return core->AddChildren(node, parent, area);
}

}  // namespace lattice
