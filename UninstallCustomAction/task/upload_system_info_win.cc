#include "upload_system_info_win.h"

#include <windows.h>

#include <msi.h>

#include "upload_request.h"

namespace uninstall {

std::string ReadOsVersionField() {
  OSVERSIONINFOEXW extended = {};
  extended.dwOSVersionInfoSize = sizeof(extended);
  OSVERSIONINFOW& info = *reinterpret_cast<OSVERSIONINFOW*>(&extended);
  if (!GetVersionExW(&info)) {
    info = OSVERSIONINFOW();
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(&info))
      return std::string();
  }
  OsPlatform platform = OsPlatform::kUnknown;
  if (info.dwPlatformId == VER_PLATFORM_WIN32s)
    platform = OsPlatform::kWin32s;
  else if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
    platform = OsPlatform::kWindows9x;
  else if (info.dwPlatformId == VER_PLATFORM_WIN32_NT)
    platform = OsPlatform::kWindowsNT;
  return OsVersionField(platform, info.dwMajorVersion, info.dwMinorVersion);
}

std::string ReadMsiVersionField() {
  wchar_t system[MAX_PATH];
  UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return std::string();
  std::wstring path = std::wstring(system) + L"\\msi.dll";
  wchar_t version[64] = {};
  DWORD version_size = 64;
  if (MsiGetFileVersionW(path.c_str(), version, &version_size, nullptr, nullptr) != ERROR_SUCCESS) {
    return std::string();
  }
  return CutVersionAfterBuild(ToAnsi(version));
}

std::string ToAnsi(const std::wstring& text) {
  if (text.empty())
    return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  if (size <= 0)
    return std::string();
  std::string ansi(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &ansi[0], size,
                      nullptr, nullptr);
  return ansi;
}

}  // namespace uninstall
