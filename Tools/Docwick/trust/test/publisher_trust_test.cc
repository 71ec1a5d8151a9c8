#include "publisher_trust.h"

#include <gtest/gtest.h>

#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"
#include "tern_test/test_root.h"

namespace {

std::wstring FixturePath(const std::wstring& name) {
  return tern_test::Fixture(L"trust_fixtures", name);
}

class PublisherTrustTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(tern_test::InstallTestRoot()); }
};

struct TrustCase {
  const wchar_t* file;
  bool trusted;
};

TEST_F(PublisherTrustTest, AcceptsOnlyTheMakerUnderATrustedRoot) {
  const TrustCase cases[] = {
      {L"signed_corvane.exe", true},           {L"signed_corvane_case.exe", true},
      {L"signed_corvane_longer.exe", false},   {L"signed_other.exe", false},
      {L"signed_untrusted.exe", false},        {L"signed_none.exe", false},
      {L"signed_corvane_tampered.exe", false}, {L"does_not_exist.exe", false},
  };
  for (const TrustCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "file " << std::string(c.file, c.file + wcslen(c.file)));
    EXPECT_EQ(c.trusted, IsCorvaneTrusted(FixturePath(c.file)));
  }
}

TEST_F(PublisherTrustTest, EmptyPathIsNotTrusted) {
  EXPECT_FALSE(IsCorvaneTrusted(L""));
}

TEST_F(PublisherTrustTest, VerifyReportsRootFlagAndSignerName) {
  struct Case {
    const wchar_t* file;
    bool rootTrusted;
    const wchar_t* signer;
  } const cases[] = {
      {L"signed_corvane.exe", true, L"Corvane Technology Company Limited"},
      {L"signed_other.exe", true, L"Heron Software Limited"},
      // Wine's WinVerifyTrust accepts this chain; only the root's flag tells it apart.
      {L"signed_untrusted.exe", false, L"Corvane Technology Company Limited"},
      {L"signed_none.exe", false, L""},
      {L"signed_corvane_tampered.exe", false, L""},
      {L"does_not_exist.exe", false, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "file " << std::string(c.file, c.file + wcslen(c.file)));
    std::wstring signer;
    EXPECT_EQ(c.rootTrusted, VerifyFileSignature(FixturePath(c.file), &signer));
    EXPECT_EQ(std::wstring(c.signer), signer);
  }
}

TEST_F(PublisherTrustTest, ChainRootOfNoSignerIsNotTrusted) {
  EXPECT_FALSE(IsChainRootTrusted(nullptr));
}

TEST_F(PublisherTrustTest, CheckLeavesTheFileUnchanged) {
  const std::wstring path = FixturePath(L"signed_corvane.exe");
  const std::string before = tern_test::ReadFileBytes(path);
  ASSERT_FALSE(before.empty());
  EXPECT_TRUE(IsCorvaneTrusted(path));
  EXPECT_EQ(before, tern_test::ReadFileBytes(path));
}

TEST_F(PublisherTrustTest, CopyOfSignedFileInPathWithBlanksAndNonAsciiIsTrusted) {
  tern_test::ScopedTempDir dir;
  ASSERT_TRUE(dir.valid());
  const std::wstring folder = dir.Join(L"d\u00e9j\u00e0 vu \u6587\u6863");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring copy = folder + L"\\Docwick copy.exe";
  ASSERT_TRUE(CopyFileW(FixturePath(L"signed_corvane.exe").c_str(), copy.c_str(), TRUE));
  EXPECT_TRUE(IsCorvaneTrusted(copy));
}

}  // namespace
