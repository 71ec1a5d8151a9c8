#include "uninstall/shell/path_containment.h"

#include <gtest/gtest.h>

namespace {

TEST(PathContainmentTest, Cases) {
  const struct {
    const wchar_t* path;
    const wchar_t* dir;
    bool inside;
  } cases[] = {
      {L"C:\\Program Files\\Tern\\Bin\\Tern.exe", L"C:\\Program Files\\Tern", true},
      {L"c:\\program files\\tern\\bin\\tern.exe", L"C:\\Program Files\\Tern", true},
      {L"C:\\Program Files\\Tern\\Tern.exe", L"C:\\Program Files\\Tern\\", true},
      {L"C:\\Program Files\\Tern\\Tern.exe", L"C:\\Program Files\\Tern\\\\", true},
      {L"C:\\Program Files\\Tern2\\Tern.exe", L"C:\\Program Files\\Tern", false},
      {L"C:\\Program Files\\Tern", L"C:\\Program Files\\Tern", false},
      {L"C:\\Program Files\\Ter", L"C:\\Program Files\\Tern", false},
      {L"D:\\Tern\\Tern.exe", L"C:\\Tern", false},
      {L"C:\\Tern.exe", L"", false},
      {L"C:\\Tern.exe", L"\\", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.inside, uninstall::IsPathInsideDirectory(c.path, c.dir))
        << c.path << " in " << c.dir;
}

}  // namespace
