#include "local_server_path.h"

namespace uninstall {

std::wstring StripSurroundingQuotes(const std::wstring& value) {
  size_t first = value.find_first_not_of(L'"');
  if (first == std::wstring::npos)
    return std::wstring();
  size_t last = value.find_last_not_of(L'"');
  return value.substr(first, last - first + 1);
}

}  // namespace uninstall
