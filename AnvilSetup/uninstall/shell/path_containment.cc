#include "uninstall/shell/path_containment.h"

#include <cwctype>

namespace uninstall {

namespace {

wchar_t FoldCase(wchar_t c) {
  return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

}  // namespace

bool IsPathInsideDirectory(const std::wstring& path, const std::wstring& directory) {
  size_t length = directory.find_last_not_of(L"\\/");
  if (length == std::wstring::npos)
    return false;
  ++length;
  if (path.size() <= length || path[length] != L'\\')
    return false;
  for (size_t i = 0; i < length; ++i) {
    if (FoldCase(path[i]) != FoldCase(directory[i]))
      return false;
  }
  return true;
}

}  // namespace uninstall
