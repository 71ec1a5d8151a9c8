#include "window.h"

#include <mutex>
#include <new>

#include "element.h"
#include "paint.h"
#include "tinyxml2.h"

namespace lattice {

namespace {

const wchar_t kWindowClass[] = L"LatticeWindow";
const DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

class WindowElement : public ElementBase<ILatticeWindow> {
 public:
  ~WindowElement() override {
    if (hwnd)
      DestroyWindow(hwnd);
    if (brush_)
      DeleteObject(brush_);
  }

  HRESULT Build(const tinyxml2::XMLElement* node);

  HRESULT STDMETHODCALLTYPE SetCaption(const wchar_t* caption) override { return SetText(caption); }
  HRESULT STDMETHODCALLTYPE SetEventListener(ILatticeEventListener* listener) override {
    listener_ = listener;
    return S_OK;
  }
  int STDMETHODCALLTYPE ShowModal() override;
  HRESULT STDMETHODCALLTYPE Close(int code) override {
    if (!hwnd)
      return HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);
    modal_result_ = code;
    return DestroyWindow(hwnd) ? S_OK : HRESULT_FROM_WIN32(GetLastError());
  }
  HRESULT STDMETHODCALLTYPE GetClientSize(SIZE* size) override {
    if (!size)
      return E_INVALIDARG;
    RECT r;
    if (!hwnd || !GetClientRect(hwnd, &r))
      return HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);
    size->cx = r.right;
    size->cy = r.bottom;
    UnscaleSIZE(size);
    return S_OK;
  }

 protected:
  bool Matches(REFIID iid) override { return IsEqualIID(iid, IID_ILatticeWindow); }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Click(ElementCore* element);
  ElementCore* DefaultButton();

  HBRUSH brush_ = nullptr;
  ILatticeEventListener* listener_ = nullptr;
  int modal_result_ = 0;
};

bool RegisterWindowClass() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kWindowClass;
    ok = RegisterClassExW(&wc) != 0;
  });
  return ok;
}

HRESULT WindowElement::Build(const tinyxml2::XMLElement* node) {
  if (!RegisterWindowClass())
    return HRESULT_FROM_WIN32(GetLastError());
  kind = Kind::kWindow;
  style = ReadStyle(node, Style());
  if (!style.has_background)
    style.background = RGB(0xFF, 0xFF, 0xFF);
  name = Utf8Attribute(node, "name");
  text = Utf8Attribute(node, "caption");
  brush_ = CreateSolidBrush(style.background);
  SIZE size = {node->IntAttribute("width", 360), node->IntAttribute("height", 240)};
  ScaleSIZE(&size);
  RECT frame = {0, 0, size.cx, size.cy};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_DLGMODALFRAME);
  RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int w = frame.right - frame.left, h = frame.bottom - frame.top;
  int x = work.left + (work.right - work.left - w) / 2;
  int y = work.top + (work.bottom - work.top - h) / 2;
  hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME, kWindowClass, text.c_str(), kWindowStyle, x, y, w, h,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!hwnd)
    return HRESULT_FROM_WIN32(GetLastError());
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowElement::Proc));
  SetPropW(hwnd, kElementProperty, AsElement());
  if (!name.empty()) {
    name_atom = GlobalAddAtomW(name.c_str());
    SetPropW(hwnd, kNameProperty, reinterpret_cast<HANDLE>(UINT_PTR(name_atom)));
  }
  RECT client;
  GetClientRect(hwnd, &client);
  area = client;
  return AddChildren(node, hwnd, client);
}

int WindowElement::ShowModal() {
  if (!hwnd)
    return -1;
  // The window must stay alive while its loop runs, whatever the listener releases.
  AddRef();
  modal_result_ = 0;
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  UpdateWindow(hwnd);
  if (ElementCore* button = DefaultButton())
    SetFocus(button->hwnd);
  MSG msg;
  while (hwnd) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // Someone asked the thread to quit: end the modal loop and pass the request on.
      PostQuitMessage(static_cast<int>(msg.wParam));
      if (hwnd)
        DestroyWindow(hwnd);
      break;
    }
    if (got < 0)
      break;
    if (hwnd && IsDialogMessageW(hwnd, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  int result = modal_result_;
  Release();
  return result;
}

ElementCore* WindowElement::DefaultButton() {
  for (ILatticeElement* child : children) {
    ElementCore* core = CoreOf(child);
    if (core->kind == Kind::kButton && core->is_default && core->hwnd)
      return core;
  }
  return nullptr;
}

void WindowElement::Click(ElementCore* element) {
  if (listener_ && element)
    listener_->OnLatticeEvent(element->AsElement(), LATTICE_EVENT_CLICK);
}

LRESULT CALLBACK WindowElement::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<WindowElement*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self)
    return DefWindowProcW(hwnd, msg, wp, lp);
  return self->Handle(msg, wp, lp);
}

LRESULT WindowElement::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  HWND self_hwnd = hwnd;
  switch (msg) {
    case WM_COMMAND: {
      HWND control = reinterpret_cast<HWND>(lp);
      if (control && HIWORD(wp) == BN_CLICKED) {
        Click(CoreOf(static_cast<ILatticeElement*>(GetPropW(control, kElementProperty))));
        return 0;
      }
      if (!control && LOWORD(wp) == IDOK) {
        Click(DefaultButton());
        return 0;
      }
      if (!control && LOWORD(wp) == IDCANCEL) {
        PostMessageW(self_hwnd, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    }
    case DM_GETDEFID: {
      // Enter clicks the default button wherever the focus is.
      ElementCore* button = DefaultButton();
      if (!button)
        break;
      return MAKELONG(GetDlgCtrlID(button->hwnd), DC_HASDEFID);
    }
    case WM_CTLCOLORSTATIC: {
      ElementCore* e = CoreOf(
          static_cast<ILatticeElement*>(GetPropW(reinterpret_cast<HWND>(lp), kElementProperty)));
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, e ? e->style.color : style.color);
      SetBkColor(dc, style.background);
      return reinterpret_cast<LRESULT>(brush_);
    }
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(brush_);
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(self_hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, brush_);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(self_hwnd, &ps);
      if (dc) {
        PaintElements(dc, this, POINT{0, 0});
        EndPaint(self_hwnd, &ps);
      }
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(self_hwnd, GWLP_USERDATA, 0);
      RemovePropW(self_hwnd, kElementProperty);
      RemovePropW(self_hwnd, kNameProperty);
      ForgetWindows();
      break;
  }
  return DefWindowProcW(self_hwnd, msg, wp, lp);
}

}  // namespace

HRESULT CreateWindowElement(const tinyxml2::XMLElement* node, ILatticeElement** out) {
  WindowElement* window = new (std::nothrow) WindowElement();
  if (!window)
    return E_OUTOFMEMORY;
  HRESULT hr = window->Build(node);
  if (FAILED(hr)) {
    window->Release();
    return hr;
  }
  *out = window;
  return S_OK;
}

}  // namespace lattice
