#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "base/fnv1_hash.h"
#include "setup/setup_context.h"

namespace {

class SetupContextTest : public ::testing::Test {
 protected:
  base::ShadowingAtExitManager at_exit_;
};

TEST_F(SetupContextTest, SecondSetReplacesAndReportsFalse) {
  EXPECT_TRUE(SetupContext::SetStringValue("CheckResult", "ResultOK"));
  EXPECT_FALSE(SetupContext::SetStringValue("CheckResult", "ResultCancel"));
  std::string value;
  EXPECT_TRUE(SetupContext::GetStringValue("CheckResult", &value));
  EXPECT_EQ("ResultCancel", value);

  EXPECT_TRUE(SetupContext::SetIntValue("HasCreateWindowsTemp", 1));
  EXPECT_FALSE(SetupContext::SetIntValue("HasCreateWindowsTemp", 7));
  int32_t number = 0;
  EXPECT_TRUE(SetupContext::GetIntValue("HasCreateWindowsTemp", &number));
  EXPECT_EQ(7, number);
}

TEST_F(SetupContextTest, AbsentKeys) {
  std::string narrow = "kept";
  EXPECT_FALSE(SetupContext::GetStringValue("Missing", &narrow));
  EXPECT_EQ("kept", narrow);
  std::wstring wide = L"emptied";
  EXPECT_FALSE(SetupContext::GetWStringValue("Missing", &wide));
  EXPECT_EQ(L"", wide);
  int32_t number = 42;
  EXPECT_FALSE(SetupContext::GetIntValue("Missing", &number));
  EXPECT_EQ(42, number);
}

TEST_F(SetupContextTest, WideValuesAreKeptAsUTF8) {
  const std::wstring path = L"C:\\users\\\u5f20\u4e09\\AppData\\Roaming";
  SetupContext::SetWStringValue("AppdataPath", path);
  std::wstring wide;
  EXPECT_TRUE(SetupContext::GetWStringValue("AppdataPath", &wide));
  EXPECT_EQ(path, wide);
  std::string narrow;
  EXPECT_TRUE(SetupContext::GetStringValue("AppdataPath", &narrow));
  EXPECT_EQ("C:\\users\\\xe5\xbc\xa0\xe4\xb8\x89\\AppData\\Roaming", narrow);
}

TEST_F(SetupContextTest, StringAndIntegerTablesAreSeparate) {
  SetupContext::SetStringValue("Both", "text");
  EXPECT_TRUE(SetupContext::SetIntValue("Both", 5));
  std::string text;
  int32_t number = 0;
  EXPECT_TRUE(SetupContext::GetStringValue("Both", &text));
  EXPECT_TRUE(SetupContext::GetIntValue("Both", &number));
  EXPECT_EQ("text", text);
  EXPECT_EQ(5, number);
}

// The FNV-1 variant with sign-extended bytes; values computed by hand for the reference.
TEST_F(SetupContextTest, KeysAreHashedWithSignExtendedFnv1) {
  EXPECT_EQ(2166136261u, base::Fnv1Hash32(""));
  EXPECT_EQ(0x050c5d7eu, base::Fnv1Hash32("a"));
  // 0xE4 sign-extends to 0xFFFFFFE4: the XOR flips the top 24 bits as well.
  EXPECT_EQ((2166136261u * 16777619u) ^ 0xFFFFFFE4u, base::Fnv1Hash32("\xe4"));
}

TEST_F(SetupContextTest, InstanceIsFreshAfterTheAtExitManagerRan) {
  SetupContext* first = SetupContext::GetInstance();
  SetupContext::SetStringValue("K", "V");
  {
    base::ShadowingAtExitManager inner;
    SetupContext* same = SetupContext::GetInstance();
    EXPECT_EQ(first, same);
  }
  EXPECT_EQ(first, SetupContext::GetInstance());
  base::AtExitManager::ProcessCallbacksNow();
  std::string value;
  EXPECT_FALSE(SetupContext::GetStringValue("K", &value));
}

// Creation races and concurrent writers of one key and of many keys (run under TSan).
TEST_F(SetupContextTest, ConcurrentUseFromManyThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 500; ++i) {
        SetupContext::SetStringValue("Shared", std::to_string(t));
        SetupContext::SetIntValue("Key" + std::to_string(t) + "_" + std::to_string(i), i);
        std::string value;
        SetupContext::GetStringValue("Shared", &value);
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  int32_t number = -1;
  EXPECT_TRUE(SetupContext::GetIntValue("Key7_499", &number));
  EXPECT_EQ(499, number);
  std::string shared;
  EXPECT_TRUE(SetupContext::GetStringValue("Shared", &shared));
  EXPECT_EQ(1u, shared.size());
}

}  // namespace
