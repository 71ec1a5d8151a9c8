// The account selection dialog, opened for real and driven through its window.
#include "UIFilter/account_select_dialog.h"

#include <memory>

#include "UIFilter/round_head_image.h"
#include "canvas.h"
#include "dialog_driver.h"
#include "dialog_fixture.h"
#include "png_file.h"

namespace docwick_test {
namespace {

using docwick::CAccountSelectDialog;
using docwick::CLatticePtr;

const wchar_t kWindowName[] = L"SelectWnd";

using AccountSelectDialogTest = DialogTest;

struct FindByName {
  const wchar_t* name;
  HWND found;
};

BOOL CALLBACK FindByNameProc(HWND hwnd, LPARAM param) {
  auto* find = reinterpret_cast<FindByName*>(param);
  if (LatticeName(hwnd) == find->name) {
    find->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The dialog's window while it is not shown: a top-level window of this thread.
HWND FindHiddenWindow(const wchar_t* name) {
  FindByName find = {name, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &FindByNameProc, reinterpret_cast<LPARAM>(&find));
  return find.found;
}

CLatticePtr<ILatticeListView>* ListOf(HWND top, CLatticePtr<ILatticeListView>* list) {
  CLatticePtr<ILatticeElement> element;
  HWND hwnd = FindNamedChild(top, L"AccountListView");
  if (hwnd && SUCCEEDED(LatticeElementFromHWND(hwnd, element.Receive())))
    element->QueryInterface(IID_ILatticeListView, list->ReceiveVoid());
  return list;
}

struct Pixel {
  BYTE b, g, r, a;
};

// The pixels of an image's texture, row by row.
std::vector<Pixel> TexturePixels(ILatticeImage* image, int* width, int* height) {
  std::vector<Pixel> pixels;
  const uint32_t* words = nullptr;
  if (!image || !GetTexturePixels(image->GetTexture(), &words, width, height, nullptr))
    return pixels;
  const Pixel* first = reinterpret_cast<const Pixel*>(words);
  pixels.assign(first, first + *width * *height);
  return pixels;
}

TEST_F(AccountSelectDialogTest, EmptyArrayShowsEmptyListAndConfirmGivesNoIndices) {
  auto dialog = std::make_shared<CAccountSelectDialog>();
  ASSERT_EQ(S_OK, dialog->Create());
  CLatticePtr<IKSArray> accounts;
  ASSERT_EQ(S_OK, MakeAccounts({}, accounts.Receive()));
  dialog->SetAccountData(accounts.get());

  CDialogDriver driver(kWindowName, [](HWND top) {
    HWND list = FindNamedChild(top, L"AccountListView");
    EXPECT_EQ(0, SendMessageW(list, LATTICE_LM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(list, LATTICE_LM_GETITEMSTATE, 0, 0));
    PostMessageW(FindNamedChild(top, L"confirm"), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitForWindowGone(top));
  });
  EXPECT_EQ(CAccountSelectDialog::kConfirmed, dialog->ShowModal());
  ASSERT_TRUE(driver.Finish());
  int result = -1;
  EXPECT_EQ(S_OK, dialog->GetResult(&result));
  EXPECT_EQ(1, result);
  CLatticePtr<IKSArray> indices;
  ASSERT_EQ(S_OK, dialog->GetSelectedItemIndices(indices.Receive()));
  EXPECT_EQ(0u, indices->GetCount());
}

enum class Action {
  kConfirm,
  kSelectRow2AndConfirm,
  kCancel,
  kSelectAndCancel,
  kWmClose,
  kSysClose,
  kEnterInList,
  kEscape
};

struct FlowCase {
  const char* label;
  Action action;
  bool data_before_create;
  int result;
  bool has_indices;
  std::vector<UINT> indices;
};

TEST_F(AccountSelectDialogTest, ButtonsAndCloseButtonGiveResultAndSelection) {
  const FlowCase cases[] = {
      {"confirm picks the preselected first row", Action::kConfirm, true, 1, true, {0}},
      {"data set after Create: row 0 still preselected", Action::kConfirm, false, 1, true, {0}},
      {"selecting row 2 of 3 then confirm", Action::kSelectRow2AndConfirm, true, 1, true, {2}},
      {"cancel", Action::kCancel, true, 2, false, {}},
      {"cancel after selecting", Action::kSelectAndCancel, false, 2, false, {}},
      {"WM_CLOSE", Action::kWmClose, true, 0, false, {}},
      {"system close command", Action::kSysClose, true, 0, false, {}},
      {"Enter in the list confirms", Action::kEnterInList, true, 1, true, {0}},
      {"Escape closes like the close button", Action::kEscape, true, 0, false, {}},
  };
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(c.label);
    CLatticePtr<IKSArray> accounts;
    ASSERT_EQ(S_OK, MakeAccounts({{L"Alice", MakeHead(L"a.png", RGB(0xE0, 0x60, 0x40))},
                                  {L"Bob", MakeHead(L"b.bmp", RGB(0x30, 0x90, 0xD0))},
                                  {L"Carol", L""}},
                                 accounts.Receive()));
    auto dialog = std::make_shared<CAccountSelectDialog>();
    if (c.data_before_create)
      dialog->SetAccountData(accounts.get());
    ASSERT_EQ(S_OK, dialog->Create());
    if (!c.data_before_create)
      dialog->SetAccountData(accounts.get());

    CDialogDriver driver(kWindowName, [&c](HWND top) {
      HWND list = FindNamedChild(top, L"AccountListView");
      EXPECT_EQ(3, SendMessageW(list, LATTICE_LM_GETITEMCOUNT, 0, 0));
      EXPECT_EQ(LATTICE_ITEM_SELECTED,
                SendMessageW(list, LATTICE_LM_GETITEMSTATE, 0, 0) & LATTICE_ITEM_SELECTED);
      if (c.action == Action::kSelectRow2AndConfirm || c.action == Action::kSelectAndCancel) {
        EXPECT_TRUE(ClickListRow(list, 2));
        EXPECT_EQ(0, SendMessageW(list, LATTICE_LM_GETITEMSTATE, 0, 0) & LATTICE_ITEM_SELECTED);
        EXPECT_EQ(LATTICE_ITEM_SELECTED,
                  SendMessageW(list, LATTICE_LM_GETITEMSTATE, 2, 0) & LATTICE_ITEM_SELECTED);
      }
      switch (c.action) {
        case Action::kConfirm:
        case Action::kSelectRow2AndConfirm:
          PostMessageW(FindNamedChild(top, L"confirm"), BM_CLICK, 0, 0);
          break;
        case Action::kCancel:
        case Action::kSelectAndCancel:
          PostMessageW(FindNamedChild(top, L"cancel"), BM_CLICK, 0, 0);
          break;
        case Action::kWmClose:
          PostMessageW(top, WM_CLOSE, 0, 0);
          break;
        case Action::kSysClose:
          PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0);
          break;
        case Action::kEnterInList:
          // Keys go to the focused control; the list takes the focus when clicked.
          EXPECT_TRUE(ClickListRow(list, 0));
          PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
          break;
        case Action::kEscape:
          PostMessageW(FindNamedChild(top, L"confirm"), WM_KEYDOWN, VK_ESCAPE, 0);
          break;
      }
      EXPECT_TRUE(WaitForWindowGone(top));
    });
    EXPECT_EQ(c.result, dialog->ShowModal());
    ASSERT_TRUE(driver.Finish());
    int result = -1;
    EXPECT_EQ(S_OK, dialog->GetResult(&result));
    EXPECT_EQ(c.result, result);
    CLatticePtr<IKSArray> indices;
    HRESULT hr = dialog->GetSelectedItemIndices(indices.Receive());
    if (c.has_indices) {
      ASSERT_EQ(S_OK, hr);
      EXPECT_EQ(c.indices, ToVector(indices.get()));
    } else {
      EXPECT_TRUE(FAILED(hr));
      EXPECT_FALSE(indices);
    }
  }
}

TEST_F(AccountSelectDialogTest, NullOutPlacesAreInvalidArguments) {
  CAccountSelectDialog dialog;
  EXPECT_EQ(E_INVALIDARG, dialog.GetResult(nullptr));
  EXPECT_EQ(E_INVALIDARG, dialog.GetSelectedItemIndices(nullptr));
  // Not shown yet: no result, so no selection either.
  CLatticePtr<IKSArray> indices;
  EXPECT_TRUE(FAILED(dialog.GetSelectedItemIndices(indices.Receive())));
  EXPECT_EQ(-1, dialog.ShowModal()) << "no window before Create";
}

TEST_F(AccountSelectDialogTest, PromptSetBeforeOrAfterCreateReachesHeaderText) {
  for (bool before : {true, false}) {
    SCOPED_TRACE(before ? "before Create" : "after Create");
    const std::wstring prompt = before ? L"Choose an account (\u00E9t\u00E9)" : L"Pick one";
    auto dialog = std::make_shared<CAccountSelectDialog>();
    if (before)
      dialog->SetPrompt(prompt);
    ASSERT_EQ(S_OK, dialog->Create());
    if (!before)
      dialog->SetPrompt(prompt);
    std::wstring seen;
    CDialogDriver driver(kWindowName, [&seen](HWND top) {
      seen = WindowText(FindNamedChild(top, L"HeaderText"));
      PostMessageW(FindNamedChild(top, L"cancel"), BM_CLICK, 0, 0);
      EXPECT_TRUE(WaitForWindowGone(top));
    });
    EXPECT_EQ(CAccountSelectDialog::kCancelled, dialog->ShowModal());
    ASSERT_TRUE(driver.Finish());
    EXPECT_EQ(prompt, seen);
  }
}

TEST_F(AccountSelectDialogTest, HeadImagesAreRoundAndAMissingOneLeavesTheName) {
  COLORREF colour = RGB(0xE0, 0x60, 0x40);
  // A wide picture: only its middle square (all `colour`) fills the head, the grey side bands
  // are cut off rather than squeezed in.
  std::vector<BYTE> wide(64 * 32 * 4);
  for (int i = 0; i < 64 * 32; ++i) {
    bool middle = i % 64 >= 16 && i % 64 < 48;
    wide[i * 4 + 0] = middle ? GetBValue(colour) : 0x80;
    wide[i * 4 + 1] = middle ? GetGValue(colour) : 0x80;
    wide[i * 4 + 2] = middle ? GetRValue(colour) : 0x80;
    wide[i * 4 + 3] = 0xFF;
  }
  ASSERT_TRUE(SaveBmp(m_dir.Join(L"wide.bmp"), 64, 32, wide));
  CLatticePtr<IKSArray> accounts;
  ASSERT_EQ(S_OK, MakeAccounts({{L"Alice", MakeHead(L"a.png", colour)},
                                {L"Bob", m_dir.Join(L"missing.png")},
                                {L"Carol", MakeHead(L"c.bmp", colour, 20)},
                                {L"Dan", m_dir.Join(L"wide.bmp")}},
                               accounts.Receive()));
  auto dialog = std::make_shared<CAccountSelectDialog>();
  dialog->SetAccountData(accounts.get());
  ASSERT_EQ(S_OK, dialog->Create());
  HWND top = FindHiddenWindow(kWindowName);
  ASSERT_TRUE(top);
  CLatticePtr<ILatticeListView> list;
  ASSERT_TRUE(ListOf(top, &list)->get());

  const wchar_t* names[] = {L"Alice", L"Bob", L"Carol", L"Dan"};
  for (UINT row = 0; row < 4; ++row) {
    SCOPED_TRACE(row);
    ILatticeElement* element = list->GetRowElement(row);
    ASSERT_TRUE(element);
    ILatticeElement* nick = element->FindElement(L"NickName");
    ILatticeElement* head = element->FindElement(L"Head");
    ASSERT_TRUE(nick && head);
    EXPECT_STREQ(names[row], nick->GetText());
    if (row == 1) {
      EXPECT_FALSE(head->GetImage()) << "a missing picture leaves the head empty";
      continue;
    }
    int w = 0, h = 0;
    std::vector<Pixel> pixels = TexturePixels(head->GetImage(), &w, &h);
    ASSERT_EQ(20, w);
    ASSERT_EQ(20, h);
    auto at = [&](int x, int y) { return pixels[y * w + x]; };
    for (POINT corner : {POINT{0, 0}, POINT{19, 0}, POINT{0, 19}, POINT{19, 19}})
      EXPECT_EQ(0, at(corner.x, corner.y).a) << corner.x << "," << corner.y;
    EXPECT_EQ(255, at(10, 10).a);
    // Inside the circle, off the figure: the picture's background colour, fully opaque.
    Pixel side = at(4, 10);
    EXPECT_EQ(255, side.a);
    EXPECT_NEAR(GetRValue(colour), side.r, 8);
    EXPECT_NEAR(GetGValue(colour), side.g, 8);
    EXPECT_NEAR(GetBValue(colour), side.b, 8);
    // Smoothing: the rim holds partly covered pixels.
    int partial = 0;
    for (const Pixel& p : pixels)
      partial += p.a > 0 && p.a < 255;
    EXPECT_GT(partial, 8);
  }
  EXPECT_FALSE(list->GetRowElement(4)) << "no row beyond the array";
}

TEST_F(AccountSelectDialogTest, RoundHeadImageFailsCleanlyWithoutFactoryOrPicture) {
  std::wstring path = MakeHead(L"a.png", RGB(0x40, 0xA0, 0x40));
  ILatticeImage* image = reinterpret_cast<ILatticeImage*>(1);
  EXPECT_TRUE(FAILED(docwick::CreateRoundHeadImage(m_dir.Join(L"none.png"), &image)));
  EXPECT_EQ(nullptr, image);

  UseFactory(false);
  image = reinterpret_cast<ILatticeImage*>(1);
  HRESULT hr = docwick::CreateRoundHeadImage(path, &image);
  UseFactory(true);
  EXPECT_EQ(CO_E_NOTINITIALIZED, hr);
  EXPECT_EQ(nullptr, image);

  CLatticePtr<ILatticeImage> made;
  EXPECT_EQ(S_OK, docwick::CreateRoundHeadImage(path, made.Receive()));
  EXPECT_TRUE(made);
}

TEST_F(AccountSelectDialogTest, ScreenshotWithThreeAccounts) {
  COLORREF colours[] = {RGB(0xE0, 0x6C, 0x4C), RGB(0x3C, 0x8C, 0xD8), RGB(0x5C, 0xB0, 0x6C)};
  CLatticePtr<IKSArray> accounts;
  ASSERT_EQ(S_OK, MakeAccounts({{L"Alice Brandt (10001)", MakeHead(L"a.png", colours[0])},
                                {L"Bo Chen (10002)", MakeHead(L"b.bmp", colours[1], 48)},
                                {L"Carla D\u00EDaz (10003)", MakeHead(L"c.png", colours[2], 96)}},
                               accounts.Receive()));
  auto dialog = std::make_shared<CAccountSelectDialog>();
  dialog->SetPrompt(L"Several accounts are signed in. Choose the account that opens the document.");
  dialog->SetAccountData(accounts.get());
  ASSERT_EQ(S_OK, dialog->Create());

  std::wstring path = ScreenshotPath(L"account_select_dialog.png");
  CDialogDriver driver(kWindowName, [&](HWND top) {
    HWND list = FindNamedChild(top, L"AccountListView");
    EXPECT_TRUE(ClickListRow(list, 1));
    int w = 0, h = 0;
    std::vector<BYTE> shot;
    EXPECT_TRUE(CaptureWindow(top, &w, &h, &shot));
    if (!shot.empty()) {
      EXPECT_EQ(S_OK, SavePng(path, w, h, shot));
      // Row 2's head: the picture's colour left of its centre; the selection-free white row
      // around the head's corner.
      RECT lr;
      GetWindowRect(list, &lr);
      MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&lr), 2);
      int x0 = lr.left, y0 = lr.top + 2 * 40;
      const BYTE* side = &shot[((y0 + 10 + 10) * w + x0 + 12 + 4) * 4];
      EXPECT_NEAR(GetRValue(colours[2]), side[2], 24);
      EXPECT_NEAR(GetGValue(colours[2]), side[1], 24);
      EXPECT_NEAR(GetBValue(colours[2]), side[0], 24);
      const BYTE* corner = &shot[((y0 + 10) * w + x0 + 12) * 4];
      EXPECT_GT(corner[0] + corner[1] + corner[2], 3 * 0xF0) << "the head's corner is not cut";
    }
    PostMessageW(FindNamedChild(top, L"cancel"), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitForWindowGone(top));
  });
  dialog->ShowModal();
  ASSERT_TRUE(driver.Finish());
  printf("screenshot: %ls\n", path.c_str());
}

}  // namespace
}  // namespace docwick_test
