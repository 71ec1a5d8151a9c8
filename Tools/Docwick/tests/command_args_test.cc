#include "app/command_args.h"

#include <gtest/gtest.h>

namespace docwick {
namespace {

struct Case {
  std::vector<std::wstring> args;
  bool ok;
  std::wstring command;
  std::wstring params;
};

TEST(ParseCommandArgs, FindsTheFirstOfEachSwitchInAnyOrder) {
  const Case cases[] = {
      {{L"--command=DocxPreview", L"--params=abc"}, true, L"DocxPreview", L"abc"},
      {{L"--params=abc", L"--command=DocxPreview"}, true, L"DocxPreview", L"abc"},
      {{L"x", L"--command=A", L"--command=B", L"--params=1", L"--params=2"}, true, L"A", L"1"},
      {{L"--command=Register", L"--params="}, true, L"Register", L""},
      {{L"--command=", L"--params=C:\\a b\\c.docx"}, true, L"", L"C:\\a b\\c.docx"},
      {{L"--params=--command=X", L"--command=Y"}, true, L"Y", L"--command=X"},
      {{L"--Command=DocxPreview", L"--params=abc"}, false, L"", L""},
      {{L"--command=DocxPreview"}, false, L"", L""},
      {{L"--params=abc"}, false, L"", L""},
      {{L"-command=DocxPreview", L"--params"}, false, L"", L""},
      {{}, false, L"", L""},
  };
  for (const Case& c : cases) {
    CommandArgs args;
    EXPECT_EQ(c.ok, ParseCommandArgs(c.args, &args)) << c.args.size();
    if (c.ok) {
      EXPECT_EQ(c.command, args.command);
      EXPECT_EQ(c.params, args.params);
    }
  }
}

}  // namespace
}  // namespace docwick
