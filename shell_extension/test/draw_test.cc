#include <windows.h>

#include <gtest/gtest.h>

#include "seam_fixture.h"

namespace docwickext_test {
namespace {

// A 16 x 16 icon that is pure red everywhere.
HICON RedIcon() {
  BITMAPV5HEADER header = {};
  header.bV5Size = sizeof(header);
  header.bV5Width = 16;
  header.bV5Height = 16;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  for (int i = 0; i < 16 * 16; ++i)
    static_cast<DWORD*>(bits)[i] = 0xFFFF0000;
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
  ICONINFO info = {TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(color);
  DeleteObject(mask);
  return icon;
}

// A white 64 x 100 canvas; Bounds() finds the red pixels the icon left.
class Canvas {
 public:
  Canvas() {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ =
        CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < kWidth * kHeight; ++i)
      bits_[i] = 0x00FFFFFF;
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  RECT Bounds() const {
    GdiFlush();
    RECT r = {kWidth, kHeight, -1, -1};
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        if ((bits_[y * kWidth + x] & 0x00FFFFFF) == 0x00FF0000) {
          r.left = x < r.left ? x : r.left;
          r.top = y < r.top ? y : r.top;
          r.right = x + 1 > r.right ? x + 1 : r.right;
          r.bottom = y + 1 > r.bottom ? y + 1 : r.bottom;
        }
      }
    }
    return r;
  }

 private:
  static const int kWidth = 64;
  static const int kHeight = 100;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  DWORD* bits_ = nullptr;
};

class DrawTest : public SeamFixture {
 protected:
  void SetUp() override {
    SeamFixture::SetUp();
    ASSERT_EQ(S_OK, seam_->SetMenuInfoForTest(L"Preview online", L"Preview the document online",
                                              RedIcon()));
    ASSERT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2),
              menu_->QueryContextMenu(menu_handle_.get(), 0, 100, 200, CMF_NORMAL));
  }
  ScopedMenu menu_handle_;
};

TEST_F(DrawTest, IconIsCentredVerticallyAndLeftOfTheText) {
  struct Case {
    RECT item;
    RECT drawn;
  } const cases[] = {
      {{10, 40, 60, 60}, {0, 42, 16, 58}},   // 20 high: moved down by 2; left - 16 < 0 gives 0
      {{40, 10, 60, 26}, {24, 10, 40, 26}},  // exactly 16 high
      {{20, 70, 60, 80}, {4, 70, 20, 86}},   // lower than the icon: drawn at the top
      {{16, 0, 60, 33}, {0, 8, 16, 24}},     // (33 - 16) / 2 rounds toward zero
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.item.left << "," << c.item.top << "," << c.item.bottom);
    Canvas canvas;
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemID = 101;
    draw.hDC = canvas.dc();
    draw.rcItem = c.item;
    LRESULT result = 5;
    EXPECT_EQ(S_OK,
              menu_->HandleMenuMsg2(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), &result));
    EXPECT_EQ(0, result);
    const RECT r = canvas.Bounds();
    EXPECT_EQ(c.drawn.left, r.left);
    EXPECT_EQ(c.drawn.top, r.top);
    EXPECT_EQ(c.drawn.right, r.right);
    EXPECT_EQ(c.drawn.bottom, r.bottom);
  }
}

TEST_F(DrawTest, OtherItemsAndControlsAreNotDrawn) {
  struct Case {
    UINT ctlType;
    UINT itemId;
    WPARAM wParam;
  } const cases[] = {{ODT_MENU, 100, 0}, {ODT_LISTBOX, 101, 0}, {ODT_MENU, 101, 3}};
  for (const Case& c : cases) {
    Canvas canvas;
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = c.ctlType;
    draw.itemID = c.itemId;
    draw.hDC = canvas.dc();
    draw.rcItem = {20, 0, 60, 20};
    EXPECT_EQ(S_OK, menu_->HandleMenuMsg2(WM_DRAWITEM, c.wParam, reinterpret_cast<LPARAM>(&draw),
                                          nullptr));
    EXPECT_EQ(-1, canvas.Bounds().right);
  }
}

TEST_F(DrawTest, ItemCaptionAndHelpTextReachMenuAndCaller) {
  wchar_t caption[32] = {};
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING | MIIM_ID;
  info.dwTypeData = caption;
  info.cch = 32;
  ASSERT_TRUE(GetMenuItemInfoW(menu_handle_.get(), 1, TRUE, &info));
  EXPECT_EQ(101u, info.wID);
  EXPECT_STREQ(L"Preview online", caption);

  wchar_t wide[64] = {};
  EXPECT_EQ(S_OK,
            menu_->GetCommandString(1, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(wide), 64));
  EXPECT_STREQ(L"Preview the document online", wide);
  EXPECT_EQ(S_OK, menu_->GetCommandString(1, GCS_VERBW, nullptr, reinterpret_cast<CHAR*>(wide), 5));
  EXPECT_STREQ(L"Prev", wide);
  char narrow[64] = {};
  EXPECT_EQ(S_OK, menu_->GetCommandString(1, GCS_HELPTEXTA, nullptr, narrow, 8));
  EXPECT_STREQ("Preview", narrow);
  EXPECT_EQ(S_FALSE, menu_->GetCommandString(1, GCS_VERBA, nullptr, narrow, 64));
}

}  // namespace
}  // namespace docwickext_test
