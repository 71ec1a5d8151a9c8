#include "publisher_trust.h"

#include <gtest/gtest.h>

#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"
#include "tern_test/test_root.h"

namespace {

class TrustedFileHoldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tern_test::InstallTestRoot());
    ASSERT_TRUE(dir_.valid());
  }

  // A private copy, so the test may try to replace it.
  std::wstring CopyFixture(const std::wstring& name) {
    std::wstring copy = dir_.Join(name);
    EXPECT_TRUE(
        CopyFileW(tern_test::Fixture(L"trust_fixtures", name).c_str(), copy.c_str(), FALSE));
    return copy;
  }

  tern_test::ScopedTempDir dir_;
};

TEST_F(TrustedFileHoldTest, HeldFileCannotBeReplacedButCanBeStarted) {
  const std::wstring exe = CopyFixture(L"signed_corvane.exe");
  CTrustedFileHold hold;
  ASSERT_TRUE(hold.OpenAndVerify(exe));
  EXPECT_TRUE(hold.IsHeld());

  HANDLE writer = CreateFileW(exe.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  if (writer != INVALID_HANDLE_VALUE)
    CloseHandle(writer);
  EXPECT_FALSE(DeleteFileW(exe.c_str()));
  EXPECT_FALSE(MoveFileW(exe.c_str(), dir_.Join(L"moved.exe").c_str()));

  tern_test::ProcessResult run = tern_test::RunProcess(exe, L"7", 30000);
  EXPECT_TRUE(run.started);
  EXPECT_EQ(7u, run.exit_code);

  hold.Release();
  EXPECT_FALSE(hold.IsHeld());
  EXPECT_TRUE(DeleteFileW(exe.c_str()));
}

TEST_F(TrustedFileHoldTest, RefusedFileIsNotHeld) {
  for (const wchar_t* name : {L"signed_other.exe", L"signed_none.exe", L"signed_untrusted.exe",
                              L"signed_corvane_tampered.exe"}) {
    SCOPED_TRACE(testing::Message() << "file " << std::string(name, name + wcslen(name)));
    const std::wstring exe = CopyFixture(name);
    CTrustedFileHold hold;
    EXPECT_FALSE(hold.OpenAndVerify(exe));
    EXPECT_FALSE(hold.IsHeld());
    EXPECT_TRUE(DeleteFileW(exe.c_str()));
  }
  CTrustedFileHold hold;
  EXPECT_FALSE(hold.OpenAndVerify(dir_.Join(L"missing.exe")));
  EXPECT_FALSE(hold.OpenAndVerify(L""));
}

TEST_F(TrustedFileHoldTest, FileOpenForWritingElsewhereIsRefused) {
  const std::wstring exe = CopyFixture(L"signed_corvane.exe");
  HANDLE writer = CreateFileW(exe.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, writer);
  CTrustedFileHold hold;
  // Someone could still change it after the check, so it is not accepted.
  EXPECT_FALSE(hold.OpenAndVerify(exe));
  CloseHandle(writer);
  EXPECT_TRUE(hold.OpenAndVerify(exe));
}

}  // namespace
