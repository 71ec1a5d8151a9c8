#include "util/file_version_info_win.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace setup_util {

bool ReadVersionString(const std::wstring& file, const wchar_t* name, std::wstring* value) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0)
    return false;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data()))
    return false;
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < 2 * sizeof(WORD)) {
    return false;
  }
  const WORD language = translation[0];
  const WORD code_page = translation[1];
  wchar_t sub_block[128];
  swprintf(sub_block, 128, L"\\StringFileInfo\\%02x%02x%02x%02x\\%ls", HIBYTE(language),
           LOBYTE(language), HIBYTE(code_page), LOBYTE(code_page), name);
  wchar_t* text = nullptr;
  if (!VerQueryValueW(data.data(), sub_block, reinterpret_cast<void**>(&text), &length) || !text)
    return false;
  std::wstring result(text, wcsnlen(text, length));
  if (result.size() > MAX_PATH)
    return false;
  *value = result;
  return true;
}

}  // namespace setup_util
