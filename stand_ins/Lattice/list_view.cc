// The list view: an owner-drawn child window whose rows are elements made from a template and
// created and filled by a row provider.
#include <windowsx.h>

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

#include "element.h"
#include "paint.h"
#include "tinyxml2.h"
#include "xtml_source.h"

namespace lattice {

namespace {

const wchar_t kListClass[] = L"LatticeListView";

class ListViewElement : public ElementBase<ILatticeListView> {
 public:
  ~ListViewElement() override {
    ReleaseRows(0);
    if (hwnd)
      DestroyWindow(hwnd);
  }

  bool Build(const tinyxml2::XMLElement* node, const Style& inherited, HWND parent, const RECT& r);

  HRESULT STDMETHODCALLTYPE SetListStyle(DWORD value) override {
    list_style_ = value;
    UpdateScroll();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetItemTemplate(const wchar_t* xtml, int width, int height) override {
    if (!xtml || !FindXtmlNode(xtml) || height <= 0)
      return E_INVALIDARG;
    template_ = xtml;
    item_width_ = width;
    item_height_ = height;
    ReleaseRows(0);
    UpdateScroll();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetRowProvider(ILatticeRowProvider* provider) override {
    provider_ = provider;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetItemCount(UINT count) override {
    ReleaseRows(count);
    rows_.resize(count);
    for (Row& row : rows_)
      row.state &= ~static_cast<DWORD>(LATTICE_ITEM_SELECTED);
    hot_ = -1;
    UpdateScroll();
    Repaint();
    return S_OK;
  }
  UINT STDMETHODCALLTYPE GetItemCount() override { return static_cast<UINT>(rows_.size()); }
  HRESULT STDMETHODCALLTYPE SetItemState(UINT row, DWORD state, DWORD mask) override {
    if (row >= rows_.size())
      return HRESULT_FROM_WIN32(ERROR_INVALID_INDEX);
    rows_[row].state = (rows_[row].state & ~mask) | (state & mask);
    Repaint();
    return S_OK;
  }
  DWORD STDMETHODCALLTYPE GetItemState(UINT row) override {
    return row < rows_.size() ? rows_[row].state : 0;
  }
  ILatticeElement* STDMETHODCALLTYPE GetRowElement(UINT row) override { return EnsureRow(row); }
  HRESULT STDMETHODCALLTYPE Redraw() override {
    for (Row& row : rows_)
      row.filled = false;
    UpdateScroll();
    Repaint();
    return S_OK;
  }

  void ForgetWindows() override {
    for (Row& row : rows_) {
      if (row.element)
        CoreOf(row.element)->ForgetWindows();
    }
    ElementCore::ForgetWindows();
  }

 protected:
  bool Matches(REFIID iid) override { return IsEqualIID(iid, IID_ILatticeListView); }

 private:
  struct Row {
    ILatticeElement* element = nullptr;  // one reference
    bool filled = false;
    DWORD state = 0;
  };

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  int RowHeight() const {
    SIZE s = {0, item_height_};
    ScaleSIZE(&s);
    return std::max(1, static_cast<int>(s.cy));
  }
  ILatticeElement* EnsureRow(UINT index);
  void ReleaseRows(size_t from);
  void UpdateScroll();
  void ScrollTo(int pos);
  int RowAt(int y) const;
  void Select(int row, bool toggle);
  void Paint(HDC dc);

  DWORD list_style_ = 0;
  std::wstring template_;
  int item_width_ = 0;
  int item_height_ = 24;
  ILatticeRowProvider* provider_ = nullptr;
  std::vector<Row> rows_;
  int scroll_ = 0;
  int hot_ = -1;
};

bool RegisterListClass() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kListClass;
    ok = RegisterClassExW(&wc) != 0;
  });
  return ok;
}

bool ListViewElement::Build(const tinyxml2::XMLElement* node,
                            const Style& inherited,
                            HWND parent,
                            const RECT& r) {
  if (!RegisterListClass())
    return false;
  kind = Kind::kList;
  style = ReadStyle(node, inherited);
  if (!style.has_background)
    style.background = RGB(0xFF, 0xFF, 0xFF);
  name = Utf8Attribute(node, "name");
  pos = ParsePos(node);
  area = r;
  hwnd = CreateWindowExW(0, kListClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL,
                         r.left, r.top, r.right - r.left, r.bottom - r.top, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  if (!hwnd)
    return false;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListViewElement::Proc));
  UpdateScroll();
  return true;
}

ILatticeElement* ListViewElement::EnsureRow(UINT index) {
  if (index >= rows_.size() || template_.empty())
    return nullptr;
  Row& row = rows_[index];
  if (!row.element) {
    const tinyxml2::XMLElement* node = FindXtmlNode(template_.c_str());
    if (!node)
      return nullptr;
    PlainElement* element = new (std::nothrow) PlainElement();
    if (!element)
      return nullptr;
    element->kind = Kind::kRow;
    element->style = ReadStyle(node, style);
    element->name = Utf8Attribute(node, "name");
    element->paint_host = hwnd;
    RECT client = {0, 0, 0, 0};
    if (hwnd)
      GetClientRect(hwnd, &client);
    element->area = RECT{0, 0, client.right, RowHeight()};
    row.element = element;
    row.filled = false;
    element->AddChildren(node, nullptr, element->area);
    if (provider_)
      provider_->OnListEvent(this, LATTICE_LIST_CREATE_ROW, index, element);
  }
  // The provider may have changed the row count while creating the row.
  if (index >= rows_.size())
    return nullptr;
  Row& current = rows_[index];
  if (!current.filled && current.element) {
    current.filled = true;
    if (provider_)
      provider_->OnListEvent(this, LATTICE_LIST_FILL_ROW, index, current.element);
  }
  return index < rows_.size() ? rows_[index].element : nullptr;
}

void ListViewElement::ReleaseRows(size_t from) {
  for (size_t i = from; i < rows_.size(); ++i) {
    if (rows_[i].element) {
      rows_[i].element->Release();
      rows_[i].element = nullptr;
    }
    rows_[i].filled = false;
  }
}

void ListViewElement::UpdateScroll() {
  if (!hwnd)
    return;
  RECT client;
  GetClientRect(hwnd, &client);
  int total = static_cast<int>(rows_.size()) * RowHeight();
  int page = client.bottom;
  bool scrolls = (list_style_ & LATTICE_LS_VSCROLL) && total > page;
  SCROLLINFO si = {};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMax = scrolls ? total - 1 : 0;
  si.nPage = scrolls ? page : 0;
  scroll_ = scrolls ? std::min(scroll_, total - page) : 0;
  si.nPos = scroll_;
  SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
  ShowScrollBar(hwnd, SB_VERT, scrolls);
}

void ListViewElement::ScrollTo(int value) {
  RECT client;
  GetClientRect(hwnd, &client);
  int total = static_cast<int>(rows_.size()) * RowHeight();
  scroll_ = std::max(0, std::min(value, total - static_cast<int>(client.bottom)));
  SetScrollPos(hwnd, SB_VERT, scroll_, TRUE);
  InvalidateRect(hwnd, nullptr, FALSE);
}

int ListViewElement::RowAt(int y) const {
  int row = (y + scroll_) / RowHeight();
  return y >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
}

void ListViewElement::Select(int row, bool toggle) {
  if (row < 0) {
    if (list_style_ & LATTICE_LS_KEEP_SELECTION)
      return;
    for (Row& r : rows_)
      r.state &= ~static_cast<DWORD>(LATTICE_ITEM_SELECTED);
  } else if (toggle && !(list_style_ & LATTICE_LS_SINGLE_SELECT)) {
    rows_[row].state ^= LATTICE_ITEM_SELECTED;
  } else {
    for (Row& r : rows_)
      r.state &= ~static_cast<DWORD>(LATTICE_ITEM_SELECTED);
    rows_[row].state |= LATTICE_ITEM_SELECTED;
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

void ListViewElement::Paint(HDC target) {
  RECT client;
  GetClientRect(hwnd, &client);
  // Drawn off-screen first so the rows do not flicker.
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap =
      CreateCompatibleBitmap(target, std::max(1L, client.right), std::max(1L, client.bottom));
  if (!dc || !bitmap) {
    if (dc)
      DeleteDC(dc);
    if (bitmap)
      DeleteObject(bitmap);
    return;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  HBRUSH background = CreateSolidBrush(style.background);
  FillRect(dc, &client, background);
  DeleteObject(background);
  int h = RowHeight();
  int first = scroll_ / h;
  for (int i = first; i < static_cast<int>(rows_.size()) && i * h - scroll_ < client.bottom; ++i) {
    ILatticeElement* element = EnsureRow(static_cast<UINT>(i));
    if (!element || i >= static_cast<int>(rows_.size()))
      break;
    ElementCore* row = CoreOf(element);
    RECT r = {0, i * h - scroll_, client.right, (i + 1) * h - scroll_};
    DWORD state = rows_[i].state;
    bool fill = true;
    COLORREF colour = style.background;
    if (state & LATTICE_ITEM_SELECTED)
      colour = style.selected;
    else if ((list_style_ & LATTICE_LS_HOT_TRACK) && i == hot_)
      colour = style.hot;
    else if (row->style.has_background)
      colour = row->style.background;
    else
      fill = false;
    if (fill) {
      HBRUSH brush = CreateSolidBrush(colour);
      FillRect(dc, &r, brush);
      DeleteObject(brush);
    }
    PaintElements(dc, row, POINT{0, r.top});
  }
  if (style.border != CLR_INVALID) {
    HBRUSH brush = CreateSolidBrush(style.border);
    FrameRect(dc, &client, brush);
    DeleteObject(brush);
  }
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

LRESULT CALLBACK ListViewElement::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<ListViewElement*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self)
    return DefWindowProcW(hwnd, msg, wp, lp);
  return self->Handle(msg, wp, lp);
}

LRESULT ListViewElement::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  HWND self_hwnd = hwnd;
  switch (msg) {
    case LATTICE_LM_GETITEMCOUNT:
      return static_cast<LRESULT>(rows_.size());
    case LATTICE_LM_GETITEMSTATE:
      return static_cast<LRESULT>(GetItemState(static_cast<UINT>(wp)));
    case LATTICE_LM_GETROWHEIGHT:
      return RowHeight();
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetFocus(self_hwnd);
      Select(RowAt(GET_Y_LPARAM(lp)), (wp & MK_CONTROL) != 0);
      return 0;
    case WM_MOUSEMOVE: {
      int row = RowAt(GET_Y_LPARAM(lp));
      if (row != hot_) {
        hot_ = row;
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, self_hwnd, 0};
        TrackMouseEvent(&track);
        InvalidateRect(self_hwnd, nullptr, FALSE);
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      hot_ = -1;
      InvalidateRect(self_hwnd, nullptr, FALSE);
      return 0;
    case WM_KEYDOWN:
      if ((wp == VK_UP || wp == VK_DOWN) && !rows_.empty()) {
        int current = -1;
        for (size_t i = 0; i < rows_.size() && current < 0; ++i) {
          if (rows_[i].state & LATTICE_ITEM_SELECTED)
            current = static_cast<int>(i);
        }
        int next = current < 0 ? 0 : current + (wp == VK_DOWN ? 1 : -1);
        next = std::max(0, std::min(next, static_cast<int>(rows_.size()) - 1));
        Select(next, false);
        return 0;
      }
      break;
    case WM_VSCROLL: {
      int h = RowHeight();
      RECT client;
      GetClientRect(self_hwnd, &client);
      switch (LOWORD(wp)) {
        case SB_LINEUP:
          ScrollTo(scroll_ - h);
          break;
        case SB_LINEDOWN:
          ScrollTo(scroll_ + h);
          break;
        case SB_PAGEUP:
          ScrollTo(scroll_ - client.bottom);
          break;
        case SB_PAGEDOWN:
          ScrollTo(scroll_ + client.bottom);
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          ScrollTo(HIWORD(wp));
          break;
      }
      return 0;
    }
    case WM_MOUSEWHEEL:
      if (list_style_ & LATTICE_LS_VSCROLL)
        ScrollTo(scroll_ - GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA * RowHeight());
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(self_hwnd, &ps);
      if (dc) {
        Paint(dc);
        EndPaint(self_hwnd, &ps);
      }
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(self_hwnd, GWLP_USERDATA, 0);
      ForgetWindows();
      break;
  }
  return DefWindowProcW(self_hwnd, msg, wp, lp);
}

}  // namespace

ElementCore* NewListView(const tinyxml2::XMLElement* node,
                         const Style& inherited,
                         HWND parent,
                         const RECT& area) {
  ListViewElement* list = new (std::nothrow) ListViewElement();
  if (!list)
    return nullptr;
  if (!list->Build(node, inherited, parent, area)) {
    list->Release();
    return nullptr;
  }
  return list;
}

}  // namespace lattice
