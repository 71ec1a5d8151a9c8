#include "util/removal_util_win.h"

#include <windows.h>

#include <shellapi.h>

#include "base/logging.h"
#include "base/utf_string_conversions.h"
#include "util/file_util_win.h"

namespace setup_util {

namespace {

bool DeleteTreeRecursive(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return DeleteFileW(path.c_str()) != FALSE;
  // A junction or symbolic link is removed itself; what it points to is not ours.
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
          continue;
        DeleteTreeRecursive(path + L"\\" + name);
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
  }
  return RemoveDirectoryW(path.c_str()) != FALSE;
}

}  // namespace

bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring NormalizePath(const std::wstring& path) {
  if (path.empty())
    return path;
  std::wstring result = path;
  wchar_t buffer[MAX_PATH * 2];
  DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
  if (length > 0 && length < MAX_PATH * 2)
    result.assign(buffer, length);
  length = GetLongPathNameW(result.c_str(), buffer, MAX_PATH * 2);
  if (length > 0 && length < MAX_PATH * 2)
    result.assign(buffer, length);
  while (result.size() > 3 && (result.back() == L'\\' || result.back() == L'/'))
    result.pop_back();
  return result;
}

bool DeletePath(const std::wstring& path) {
  if (path.size() >= kMaxRemovalPath)
    return false;
  if (IsDirectory(path))
    return RemoveDirectoryW(path.c_str()) != FALSE;
  if (DeleteFileW(path.c_str()))
    return true;
  LOG(WARNING) << "DeleteFile( " << base::WideToUTF8(path)
               << " ) failed with error : " << GetLastError();
  // The shell's operation wants a list ending in two nulls.
  std::wstring from = path;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags =
      FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_FILESONLY | FOF_NO_CONNECTED_ELEMENTS;
  int result = SHFileOperationW(&operation);
  if (result != 0) {
    LOG(WARNING) << "SHFileOperation( " << base::WideToUTF8(path)
                 << " ) failed with error : " << result;
    return false;
  }
  if (operation.fAnyOperationsAborted) {
    LOG(WARNING) << "fAnyOperationsAborted == true";
    return false;
  }
  return true;
}

bool DeleteTree(const std::wstring& path, bool recursive) {
  if (!recursive)
    return DeletePath(path);
  if (path.empty())
    return false;
  return DeleteTreeRecursive(path) && !PathExists(path);
}

bool DeleteAtRestart(const std::wstring& path) {
  if (path.size() >= kMaxRemovalPath)
    return false;
  return MoveFileExW(path.c_str(), nullptr,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

bool MakeMoveAsideName(const std::wstring& path,
                       const std::wstring& temp_folder,
                       bool* is_directory,
                       std::wstring* new_name) {
  return MakeNumberedBackupPath(path, temp_folder, is_directory, new_name);
}

bool MakeRemovedFilesTempFolder(const std::wstring& install_path, std::wstring* folder) {
  return MakeFreeTempFolderPath(install_path, folder);
}

}  // namespace setup_util
