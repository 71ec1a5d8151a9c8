#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "seam_fixture.h"
#include "tern_test/process.h"
#include "tern_test/test_root.h"

namespace docwickext_test {
namespace {

class LaunchTest : public SeamFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tern_test::InstallTestRoot());
    SeamFixture::SetUp();
    record_ = dir_.Join(L"record.txt");
    ASSERT_TRUE(SetEnvironmentVariableW(L"DOCWICK_PEER_RECORD", record_.c_str()));
  }

  void TearDown() override {
    SetEnvironmentVariableW(L"DOCWICK_PEER_RECORD", nullptr);
    SeamFixture::TearDown();
  }

  void PutDocwick(const wchar_t* signer) {
    const std::wstring peer = tern_test::Fixture(L"docwickext_peers", signer) + L"\\Docwick.exe";
    ASSERT_TRUE(CopyFileW(peer.c_str(), dir_.Join(L"Docwick.exe").c_str(), FALSE));
  }

  HRESULT PickItem(const std::wstring& path) {
    EXPECT_EQ(S_OK, seam_->SetFilePathForTest(path.c_str()));
    ScopedMenu menu;
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2),
              menu_->QueryContextMenu(menu.get(), 0, 100, 200, CMF_NORMAL));
    log_.Clear();
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = MAKEINTRESOURCEA(1);
    return menu_->InvokeCommand(&info);
  }

  // The stand-in's command line split the Windows way; empty when it did not run in time.
  std::vector<std::wstring> RecordedArgs() {
    std::string bytes;
    for (int i = 0; i < 200 && bytes.empty(); ++i) {
      bytes = tern_test::ReadFileBytes(record_);
      if (bytes.empty())
        Sleep(50);
    }
    std::vector<std::wstring> args;
    if (bytes.empty())
      return args;
    int n =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring line(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &line[0], n);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &argc);
    for (int i = 0; argv && i < argc; ++i)
      args.push_back(argv[i]);
    LocalFree(argv);
    return args;
  }

  std::wstring record_;
};

TEST_F(LaunchTest, SignedDocwickIsStartedWithBase64OfUtf8Path) {
  PutDocwick(L"corvane");
  struct Case {
    const wchar_t* path;
    const wchar_t* base64;
  } const cases[] = {
      {L"C:\\\u6587\u6863 1.docx", L"Qzpc5paH5qGjIDEuZG9jeA=="},
      {L"C:\\My Documents\\r\u00e9sum\u00e9.doc", L"QzpcTXkgRG9jdW1lbnRzXHLDqXN1bcOpLmRvYw=="},
      {L"D:\\a.xlsx", L"RDpcYS54bHN4"},
      {L"D:\\abc.docx", L"RDpcYWJjLmRvY3g="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.path));
    DeleteFileW(record_.c_str());
    EXPECT_EQ(S_OK, PickItem(c.path));
    EXPECT_TRUE(log_.Contains(
        Line(L"CTernShellExtension::InvokeCommand ShellExecute Docwick.exe Succeed .\n")));
    const std::vector<std::wstring> args = RecordedArgs();
    ASSERT_EQ(3u, args.size());
    EXPECT_EQ(0, lstrcmpiW(dir_.Join(L"Docwick.exe").c_str(), args[0].c_str())) << Narrow(args[0]);
    EXPECT_EQ(L"--command=DocxPreview", args[1]);
    EXPECT_EQ(std::wstring(L"--params=") + c.base64, args[2]);
  }
  // The checked file was held only until the child had started.
  EXPECT_TRUE(DeleteFileW(dir_.Join(L"Docwick.exe").c_str()));
}

TEST_F(LaunchTest, DocwickNotSignedByTheMakerOrMissingIsNotStarted) {
  const std::wstring refused =
      Line(L"CTernShellExtension::InvokeCommand  Docwick.exe IsCorvaneTrusted FAILED.\n");
  for (const wchar_t* signer : {L"other", L"none", L"missing"}) {
    SCOPED_TRACE(Narrow(signer));
    DeleteFileW(dir_.Join(L"Docwick.exe").c_str());
    if (std::wstring(signer) != L"missing")
      PutDocwick(signer);
    EXPECT_EQ(E_FAIL, PickItem(L"C:\\doc.docx"));
    const std::vector<std::wstring> expected = {
        Line(L"CTernShellExtension.GetDocwickPath strParentDir = [" + dir_.path() + L"\\].\n"),
        refused};
    EXPECT_EQ(expected, log_.Lines());
    // Refused before ShellExecute, so no stand-in can have been started.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(record_.c_str()));
  }
}

}  // namespace
}  // namespace docwickext_test
