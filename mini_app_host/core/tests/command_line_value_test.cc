#include "command_line_value.h"

#include <gtest/gtest.h>

namespace ternapp {
namespace {

struct ValueCase {
  const char* text;
  const char* key;
  const char* expected;
};

TEST(GetCommandLineValueTest, CasesFromTheHostCommandLine) {
  const ValueCase cases[] = {
      {"TernApp.exe storage=C:\\data groupid=7", "storage=", "C:\\data"},
      {"TernApp.exe storage=C:\\data groupid=7", "groupid=", "7"},
      // Cut at the blank first: the opening quote stays and the tail is lost.
      {"TernApp.exe storage=\"C:\\my data\" groupid=7", "storage=", "\"C:\\my"},
      {"TernApp.exe groupid=\"42\" x=1", "groupid=", "42"},
      // The key is found anywhere, also inside a longer argument name.
      {"TernApp.exe xstorage=D:\\x", "storage=", "D:\\x"},
      {"TernApp.exe xstorage=D:\\x storage=E:\\y", "storage=", "D:\\x"},
      {"TernApp.exe storage=", "storage=", ""},
      {"TernApp.exe storage= groupid=3", "storage=", ""},
      {"TernApp.exe --app=a", "storage=", ""},
      {"", "storage=", ""},
      {"storage=end", "storage=", "end"},
      // Three quotes: between the first and the last.
      {"k=\"a\"b\"", "k=", "a\"b"},
      {"k=\"", "k=", "\""},
      {"k=a\"b", "k=", "a\"b"},
      {"k=\"\"", "k=", ""},
  };
  for (const ValueCase& c : cases) {
    EXPECT_EQ(GetCommandLineValue(c.text, c.key), c.expected) << c.text << " / " << c.key;
  }
}

TEST(GetCommandLineValueTest, EmptyKeyGivesEmptyValue) {
  EXPECT_EQ(GetCommandLineValue("abc def", ""), "");
}

TEST(ParseGroupIdTest, AtoiRules) {
  const struct {
    const char* text;
    uint32_t expected;
  } cases[] = {
      {"", 0u},
      {"7", 7u},
      {"  12", 12u},
      {"12abc", 12u},
      {"abc", 0u},
      {"+5", 5u},
      {"-1", 0xFFFFFFFFu},
      {"2147483647", 2147483647u},
      {"99999999999999999999", 2147483647u},
      {"-99999999999999999999", 0x80000000u},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseGroupId(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace ternapp
