// The document preview error box, opened for real and driven through its window.
#include "windows/docx_preview_error_msg_box.h"

#include <memory>

#include "dialog_driver.h"
#include "dialog_fixture.h"
#include "png_file.h"

namespace docwick_test {
namespace {

using docwick::CDocxPreviewErrorMsgBox;

const wchar_t kWindowName[] = L"DocxPreviewErrorMsgBox";

using DocxPreviewErrorMsgBoxTest = DialogTest;

struct Texts {
  std::wstring caption, message, title;
};

void SetTexts(CDocxPreviewErrorMsgBox* box, const Texts& texts) {
  box->SetCaption(texts.caption);
  box->SetErrorMsg(texts.message);
  box->SetErrorTitle(texts.title);
}

enum class Close { kConfirm, kWmClose, kSysClose };

TEST_F(DocxPreviewErrorMsgBoxTest, TextsSetBeforeOrAfterCreateReachTheWindow) {
  struct Case {
    const char* label;
    bool before;
    Close close;
    Texts texts;
  };
  const Case cases[] = {
      {"before Create, confirm",
       true,
       Close::kConfirm,
       {L"Preview", L"The file is larger than 20 MB.", L"Cannot open the document"}},
      {"after Create, close button",
       false,
       Close::kSysClose,
       {L"Vorschau", L"Die Datei \x00F6\x00E4 fehlt.", L"\x00C9chec"}},
      {"empty texts still open, WM_CLOSE", true, Close::kWmClose, {L"", L"", L""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    auto box = std::make_shared<CDocxPreviewErrorMsgBox>();
    if (c.before)
      SetTexts(box.get(), c.texts);
    ASSERT_EQ(S_OK, box->Create());
    if (!c.before)
      SetTexts(box.get(), c.texts);
    Texts seen;
    CDialogDriver driver(kWindowName, [&](HWND top) {
      seen.caption = WindowText(top);
      seen.message = WindowText(FindNamedChild(top, L"ErrorMsgStatic"));
      seen.title = WindowText(FindNamedChild(top, L"ErrorTitleStatic"));
      if (c.close == Close::kConfirm)
        PostMessageW(FindNamedChild(top, L"confirm"), BM_CLICK, 0, 0);
      else if (c.close == Close::kWmClose)
        PostMessageW(top, WM_CLOSE, 0, 0);
      else
        PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0);
      EXPECT_TRUE(WaitForWindowGone(top));
    });
    box->ShowModal();
    ASSERT_TRUE(driver.Finish());
    EXPECT_EQ(c.texts.caption, seen.caption);
    EXPECT_EQ(c.texts.message, seen.message);
    EXPECT_EQ(c.texts.title, seen.title);
  }
}

TEST_F(DocxPreviewErrorMsgBoxTest, CreateTwiceFailsAndShowWithoutWindowReturns) {
  CDocxPreviewErrorMsgBox box;
  box.ShowModal();  // no window yet: returns at once
  ASSERT_EQ(S_OK, box.Create());
  EXPECT_TRUE(FAILED(box.Create()));
}

TEST_F(DocxPreviewErrorMsgBoxTest, Screenshot) {
  auto box = std::make_shared<CDocxPreviewErrorMsgBox>();
  ASSERT_EQ(S_OK, box->Create());
  SetTexts(box.get(),
           {L"Document preview", L"Every running Tern is locked. Unlock Tern and try again.",
            L"The document cannot be previewed"});
  std::wstring path = ScreenshotPath(L"docx_preview_error_msg_box.png");
  CDialogDriver driver(kWindowName, [&](HWND top) {
    int w = 0, h = 0;
    std::vector<BYTE> shot;
    EXPECT_TRUE(CaptureWindow(top, &w, &h, &shot));
    if (!shot.empty()) {
      EXPECT_EQ(S_OK, SavePng(path, w, h, shot));
    }
    PostMessageW(FindNamedChild(top, L"confirm"), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitForWindowGone(top));
  });
  box->ShowModal();
  ASSERT_TRUE(driver.Finish());
  printf("screenshot: %ls\n", path.c_str());
}

}  // namespace
}  // namespace docwick_test
