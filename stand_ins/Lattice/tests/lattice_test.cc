// The framework stand-in on its own: layout names, named elements, the list view's selection
// rules and row provider calls, the object factory, scaling switch-off and texture drawing.
#include "lattice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas.h"
#include "keystone.h"

namespace {

const wchar_t kMain[] = L"xtml:Lattice\\Test.xml|Main";

template <typename T>
struct Ref {
  T* p = nullptr;
  ~Ref() {
    if (p)
      p->Release();
  }
  T* operator->() const { return p; }
  void** out() { return reinterpret_cast<void**>(&p); }
};

std::wstring AtomName(HWND hwnd) {
  ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"LatticeName")));
  wchar_t name[64] = {};
  return atom && GlobalGetAtomNameW(atom, name, 64) ? name : L"";
}

TEST(LatticeLayoutTest, NamesThatDoNotResolveFail) {
  const wchar_t* bad[] = {L"xtml:Lattice\\Test.xml", L"xtml:Lattice\\Test.xml|",
                          L"xtml:Lattice\\None.xml|Main", L"xtml:Lattice\\Test.xml|None",
                          L"xtml:|Main"};
  for (const wchar_t* name : bad) {
    Ref<ILatticeElement> element;
    EXPECT_TRUE(FAILED(RawCreateLatticeElementByXtml(name, &element.p))) << name;
    EXPECT_EQ(nullptr, element.p);
  }
  EXPECT_EQ(E_INVALIDARG, RawCreateLatticeElementByXtml(nullptr, nullptr));
}

TEST(LatticeLayoutTest, WindowHasNamedControlsWithNameProperties) {
  for (const wchar_t* name : {kMain, L"Lattice\\Test.xml|Main"}) {
    Ref<ILatticeElement> element;
    ASSERT_EQ(S_OK, RawCreateLatticeElementByXtml(name, &element.p)) << name;
    Ref<ILatticeWindow> window;
    ASSERT_EQ(S_OK, element->QueryInterface(IID_ILatticeWindow, window.out()));
    HWND top = window->GetHWND();
    EXPECT_FALSE(IsWindowVisible(top));
    EXPECT_EQ(nullptr, GetParent(top));
    EXPECT_EQ(L"Main", AtomName(top));
    ILatticeElement* go = window->FindElement(L"Go");  // nested inside "Box"
    ILatticeElement* label = window->FindElement(L"Label");
    ASSERT_TRUE(go && label);
    wchar_t cls[32] = {};
    GetClassNameW(go->GetHWND(), cls, 32);
    EXPECT_STREQ(L"Button", cls);
    EXPECT_EQ(L"Go", AtomName(go->GetHWND()));
    EXPECT_EQ(top, GetParent(go->GetHWND()));
    label->SetText(L"Changed");
    wchar_t text[32] = {};
    GetWindowTextW(label->GetHWND(), text, 32);
    EXPECT_STREQ(L"Changed", text);
    EXPECT_EQ(nullptr, window->FindElement(L"Nothing"));
    SIZE size = {};
    EXPECT_EQ(S_OK, window->GetClientSize(&size));
    EXPECT_EQ(300, size.cx);
    EXPECT_EQ(200, size.cy);
    EXPECT_EQ(S_OK, window->Close(7));
    EXPECT_FALSE(IsWindow(top));
    EXPECT_EQ(nullptr, window->GetHWND());
  }
}

// Records the provider calls and gives each row a caption.
class Provider : public ILatticeRowProvider {
 public:
  HRESULT STDMETHODCALLTYPE OnListEvent(ILatticeListView*,
                                        int event,
                                        UINT row,
                                        ILatticeElement* element) override {
    calls.push_back(std::to_wstring(event) + L":" + std::to_wstring(row));
    if (event == LATTICE_LIST_CREATE_ROW)
      return element->LoadXtml(L"xtml:Lattice\\Test.xml|Content");
    if (ILatticeElement* caption = element->FindElement(L"Caption"))
      caption->SetText((L"row " + std::to_wstring(row)).c_str());
    return S_OK;
  }
  std::vector<std::wstring> calls;
};

struct ListFixture {
  ListFixture() {
    EXPECT_EQ(S_OK, RawCreateLatticeElementByXtml(kMain, &window.p));
    if (window.p && window->FindElement(L"List"))
      window->FindElement(L"List")->QueryInterface(IID_ILatticeListView, list.out());
  }
  Ref<ILatticeElement> window;
  Ref<ILatticeListView> list;
  Provider provider;
};

void Click(HWND list, int row, bool ctrl = false) {
  LRESULT h = SendMessageW(list, LATTICE_LM_GETROWHEIGHT, 0, 0);
  LPARAM at = MAKELPARAM(5, row * h + h / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | (ctrl ? MK_CONTROL : 0), at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
}

std::vector<int> Selected(HWND list) {
  std::vector<int> rows;
  LRESULT count = SendMessageW(list, LATTICE_LM_GETITEMCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    if (SendMessageW(list, LATTICE_LM_GETITEMSTATE, i, 0) & LATTICE_ITEM_SELECTED)
      rows.push_back(i);
  }
  return rows;
}

TEST(LatticeListViewTest, ClicksSelectByStyle) {
  struct Case {
    const char* label;
    DWORD style;
    std::vector<std::pair<int, bool>> clicks;  // row (-1: below the rows), control key
    std::vector<int> selected;
  };
  const Case cases[] = {
      {"single select keeps one row", LATTICE_LS_SINGLE_SELECT, {{1, false}, {3, true}}, {3}},
      {"control toggles without single select", 0, {{1, false}, {3, true}, {1, true}}, {3}},
      {"control adds rows", 0, {{0, false}, {2, true}}, {0, 2}},
      {"a click below the rows clears", LATTICE_LS_SINGLE_SELECT, {{2, false}, {-1, false}}, {}},
      {"unless the selection is kept", 0x45004, {{2, false}, {-1, false}}, {2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ListFixture f;
    ASSERT_TRUE(f.list.p);
    HWND hwnd = f.list->GetHWND();
    ASSERT_EQ(S_OK, f.list->SetItemTemplate(L"xtml:Lattice\\Test.xml|Frame", 280, 20));
    f.list->SetListStyle(c.style);
    f.list->SetItemCount(4);
    for (auto click : c.clicks)
      Click(hwnd, click.first < 0 ? 5 : click.first, click.second);
    EXPECT_EQ(c.selected, Selected(hwnd));
  }
}

TEST(LatticeListViewTest, ScrolledListClicksTheRowUnderThePoint) {
  ListFixture f;
  ASSERT_TRUE(f.list.p);
  HWND hwnd = f.list->GetHWND();
  ASSERT_EQ(S_OK, f.list->SetItemTemplate(L"xtml:Lattice\\Test.xml|Frame", 280, 20));
  f.list->SetListStyle(LATTICE_LS_SINGLE_SELECT | LATTICE_LS_VSCROLL);
  f.list->SetItemCount(20);
  SCROLLINFO si = {};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(hwnd, SB_VERT, &si));
  EXPECT_EQ(20 * 20 - 1, si.nMax);
  SendMessageW(hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
  SendMessageW(hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
  Click(hwnd, 0);  // the top row on screen is now row 2
  EXPECT_EQ(std::vector<int>{2}, Selected(hwnd));
  SendMessageW(hwnd, WM_VSCROLL, SB_PAGEUP, 0);
  SendMessageW(hwnd, WM_VSCROLL, SB_PAGEUP, 0);
  Click(hwnd, 0);
  EXPECT_EQ(std::vector<int>{0}, Selected(hwnd)) << "scrolling stops at the top";
}

TEST(LatticeListViewTest, ProviderCreatesOnceAndFillsAgainAfterRedraw) {
  ListFixture f;
  ASSERT_TRUE(f.list.p);
  EXPECT_EQ(E_INVALIDARG, f.list->SetItemTemplate(L"xtml:Lattice\\Test.xml|None", 100, 20));
  ASSERT_EQ(S_OK, f.list->SetItemTemplate(L"xtml:Lattice\\Test.xml|Frame", 280, 20));
  f.list->SetRowProvider(&f.provider);
  f.list->SetItemCount(2);
  EXPECT_EQ(20, SendMessageW(f.list->GetHWND(), LATTICE_LM_GETROWHEIGHT, 0, 0));
  ILatticeElement* row = f.list->GetRowElement(1);
  ASSERT_TRUE(row);
  EXPECT_STREQ(L"row 1", row->FindElement(L"Caption")->GetText());
  EXPECT_EQ(nullptr, row->FindElement(L"Caption")->GetHWND()) << "rows are drawn, not windows";
  f.list->GetRowElement(1);
  f.list->Redraw();
  f.list->GetRowElement(1);
  EXPECT_EQ(nullptr, f.list->GetRowElement(2));
  std::vector<std::wstring> expected = {L"16:1", L"8:1", L"8:1"};
  EXPECT_EQ(expected, f.provider.calls);
  // Fewer rows drop the rest and every selection.
  f.list->SetItemState(0, LATTICE_ITEM_SELECTED, LATTICE_ITEM_SELECTED);
  f.list->SetItemCount(1);
  EXPECT_EQ(1u, f.list->GetItemCount());
  EXPECT_EQ(0u, f.list->GetItemState(0));
  EXPECT_TRUE(FAILED(f.list->SetItemState(1, LATTICE_ITEM_SELECTED, LATTICE_ITEM_SELECTED)));
  f.list->SetRowProvider(nullptr);
}

class CoreFactory : public ILatticeObjectFactory {
 public:
  HRESULT STDMETHODCALLTYPE CreateObject(REFCLSID clsid, REFIID iid, void** out) override {
    IKSPlatformCore* core = nullptr;
    HRESULT hr = GetPlatformCore(&core);
    if (FAILED(hr))
      return hr;
    hr = core->CreateObject(clsid, iid, out);
    core->Release();
    return hr;
  }
};

TEST(LatticeObjectTest, ImagesComeOnlyThroughTheHostsFactory) {
  Ref<ILatticeImage> image;
  SetCustomObjectFactory(nullptr);
  EXPECT_EQ(CO_E_NOTINITIALIZED, CreateObject(CLSID_LatticeImage, IID_ILatticeImage, image.out()));
  EXPECT_EQ(nullptr, image.p);

  Ref<IKSPlatformCore> core;
  ASSERT_EQ(S_OK, CreateObjectFromDllFile(L"Keystone.dll", CLSID_KSPlatformCore,
                                          IID_IKSPlatformCore, core.out()));
  CoreFactory factory;
  SetCustomObjectFactory(&factory);
  ASSERT_EQ(S_OK, CreateObject(CLSID_LatticeImage, IID_ILatticeImage, image.out()));
  EXPECT_EQ(nullptr, image->GetTexture());
  EXPECT_TRUE(FAILED(image->LoadFromFile(L"C:\\no\\such\\head.png", LATTICE_SCALE_FILL)));
  EXPECT_EQ(E_INVALIDARG, image->SetTexture(nullptr));
  SetCustomObjectFactory(nullptr);
  core->Shutdown();
}

TEST(LatticeScaleTest, SwitchOffNestsAndEnds) {
  EXPECT_FALSE(IsScaleIgnore());
  {
    lattice::ScopedScaleIgnore outer;
    {
      lattice::ScopedScaleIgnore inner;
      EXPECT_TRUE(IsScaleIgnore());
    }
    EXPECT_TRUE(IsScaleIgnore());
    RECT r = {1, 2, 30, 40};
    ScaleRECT(&r);
    EXPECT_EQ(30, r.right) << "no scaling while switched off";
  }
  EXPECT_FALSE(IsScaleIgnore());
  EXPECT_GT(GetDPIScale(), 0.0f);
}

uint32_t PixelAt(R32Texture* texture, int x, int y) {
  const uint32_t* pixels = nullptr;
  int w = 0, h = 0;
  if (!GetTexturePixels(texture, &pixels, &w, &h, nullptr) || x >= w || y >= h)
    return 0xDEADBEEF;
  return pixels[y * w + x];
}

TEST(RasterTextureDrawTest, MaskMultipliesAndPicturesPaintOver) {
  const uint32_t red = 0xFFFF0000u, half_mask = 0x80FFFFFFu;
  uint32_t picture_pixels[4] = {red, red, red, red};
  R32Texture* picture = CreateTextureFromPixels(2, 2, picture_pixels, 8, 0);
  // A premultiplied mask: left column opaque, right column half, as a mask texture.
  uint32_t mask_pixels[4] = {0xFFFFFFFFu, half_mask & 0x80808080u, 0xFFFFFFFFu,
                             half_mask & 0x80808080u};
  R32Texture* mask = CreateTextureFromPixels(2, 2, mask_pixels, 8, R32_FILTER_MASK);
  ASSERT_TRUE(picture && mask);

  R32Canvas* canvas = CreateMemCanvas(4, 4);
  ASSERT_TRUE(canvas);
  RECT all = {0, 0, 4, 4};
  ASSERT_TRUE(DrawTexture(canvas, picture, &all));
  ASSERT_TRUE(DrawTexture(canvas, mask, &all));
  R32Texture* out = CanvasToTexture(canvas);
  EXPECT_EQ(red, PixelAt(out, 0, 0)) << "opaque mask keeps the picture";
  EXPECT_EQ(0x80800000u, PixelAt(out, 3, 3)) << "half mask halves every channel";
  ReleaseTexture(out);

  RECT outside = {10, 10, 20, 20};
  EXPECT_TRUE(DrawTexture(canvas, picture, &outside)) << "clipped away, not an error";
  RECT empty = {2, 2, 2, 4};
  EXPECT_FALSE(DrawTexture(canvas, picture, &empty));
  EXPECT_FALSE(DrawTexture(canvas, nullptr, &all));
  R32Texture* copy = CopyTexture(mask);
  uint32_t filter = 0;
  const uint32_t* px = nullptr;
  int w = 0, h = 0;
  ASSERT_TRUE(GetTexturePixels(copy, &px, &w, &h, &filter));
  EXPECT_EQ(R32_FILTER_MASK, filter);
  ReleaseTexture(copy);
  DestroyCanvas(canvas);
  ReleaseTexture(mask);
  ReleaseTexture(picture);
}

}  // namespace
