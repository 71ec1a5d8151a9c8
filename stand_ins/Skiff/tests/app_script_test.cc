#include "script/app_script.h"

#include <gtest/gtest.h>

namespace skiff {
namespace {

TEST(AppScriptTest, ParsesDirectivesAndHandlers) {
  AppScript script;
  std::string error;
  ASSERT_TRUE(
      ParseAppScript("# a \"quoted\" comment\nname demo\nscale 1.5\nlog \"C:\\a b\\e.log\"\n  # "
                     "comment\non view\n  fill 255 0 0\n"
                     "  invalidate 10 10 100 50\non entry 7\n  calltext M f \"two words\"\n",
                     &script, &error))
      << error;
  EXPECT_EQ(script.name, "demo");
  EXPECT_DOUBLE_EQ(script.scale, 1.5);
  EXPECT_EQ(script.log_path, "C:\\a b\\e.log");
  ASSERT_EQ(script.handlers["view"].size(), 2u);
  EXPECT_EQ(script.handlers["view"][1][0], "invalidate");
  ASSERT_EQ(script.handlers["entry 7"].size(), 1u);
  EXPECT_EQ(script.handlers["entry 7"][0][3], "two words");
}

TEST(AppScriptTest, RejectsBadInput) {
  const char* bad[] = {"fill 1 2 3\n", "scale zero\n", "scale -1\n"};
  for (const char* text : bad) {
    AppScript script;
    std::string error;
    EXPECT_FALSE(ParseAppScript(text, &script, &error)) << text;
    EXPECT_FALSE(error.empty());
  }
}

TEST(AppScriptTest, FindSwitchReadsWholeTokens) {
  EXPECT_EQ(FindSwitch("TernApp.exe --app=\"C:\\my app\\a.txt\" --conduit=p1", "app"),
            "C:\\my app\\a.txt");
  EXPECT_EQ(FindSwitch("TernApp.exe --conduit=p1", "app"), "");
  EXPECT_EQ(FindSwitch("x---app=1 --app=2", "app"), "2");
}

}  // namespace
}  // namespace skiff
