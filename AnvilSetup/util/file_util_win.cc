#include "util/file_util_win.h"

#include <windows.h>

#include <netfw.h>
#include <shlobj.h>

#include <cstdlib>
#include <ctime>

#include "base/logging.h"
#include "base/scoped_com_ptr_win.h"
#include "util/firewall_manager_ids.h"

namespace setup_util {

namespace {

const unsigned kMaxBackupNumber = 1u << 30;

bool AnythingExists(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return false;
  FindClose(find);
  return true;
}

std::wstring ParentFolder(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

std::wstring GetShellFolderPath(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)))
    return std::wstring();
  std::wstring path = buffer;
  while (!path.empty() && path.back() == L'\\')
    path.pop_back();
  return path;
}

bool GetPathRoot(const std::wstring& path, std::wstring* root) {
  if (path.size() >= 2 && path[1] == L':' && iswalpha(path[0])) {
    *root = path.substr(0, 2) + L"\\";
    return true;
  }
  if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
    size_t server_end = path.find(L'\\', 2);
    if (server_end == std::wstring::npos || server_end == 2)
      return false;
    size_t share_end = path.find(L'\\', server_end + 1);
    if (share_end == server_end + 1)
      return false;
    *root = (share_end == std::wstring::npos ? path : path.substr(0, share_end)) + L"\\";
    return true;
  }
  return false;
}

bool MakeNumberedBackupPath(const std::wstring& source,
                            const std::wstring& preferred_folder,
                            bool* is_directory,
                            std::wstring* backup_path) {
  DCHECK(backup_path);
  DCHECK(is_directory);
  DWORD attributes = GetFileAttributesW(source.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return false;
  *is_directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;

  std::wstring trimmed = source;
  while (trimmed.size() > 3 && (trimmed.back() == L'\\' || trimmed.back() == L'/'))
    trimmed.pop_back();
  std::wstring folder = ParentFolder(trimmed);
  std::wstring source_root, preferred_root;
  if (!preferred_folder.empty() && GetPathRoot(trimmed, &source_root) &&
      GetPathRoot(preferred_folder, &preferred_root) && source_root == preferred_root) {
    folder = preferred_folder;
    while (!folder.empty() && folder.back() == L'\\')
      folder.pop_back();
  }

  std::wstring name = trimmed.substr(trimmed.find_last_of(L"\\/") + 1);
  std::wstring stem = name, suffix;
  size_t dot = name.find_last_of(L'.');
  if (!*is_directory && dot != std::wstring::npos) {
    stem = name.substr(0, dot);
    suffix = name.substr(dot);
  }
  const std::wstring prefix = folder + L"\\~" + stem + L"_";
  auto candidate = [&](unsigned n) { return prefix + std::to_wstring(n) + suffix; };

  unsigned low = 1, high = kMaxBackupNumber;
  while (low != high) {
    unsigned mid = low + (high - low) / 2;
    if (AnythingExists(candidate(mid)))
      low = mid + 1;
    else
      high = mid;
  }
  if (AnythingExists(candidate(high)))
    return false;
  *backup_path = candidate(high);
  return true;
}

bool MakeFreeTempFolderPath(const std::wstring& reference_path, std::wstring* folder) {
  DCHECK(folder);
  std::wstring reference_root;
  if (!GetPathRoot(reference_path, &reference_root))
    return false;
  std::wstring base = reference_path;
  wchar_t temp[MAX_PATH + 1];
  DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length > 0 && length <= MAX_PATH) {
    std::wstring temp_path(temp, length);
    std::wstring temp_root;
    if (!GetPathRoot(temp_path, &temp_root))
      return false;
    if (_wcsicmp(temp_root.c_str(), reference_root.c_str()) == 0)
      base = temp_path;
  }
  if (!base.empty() && base.back() != L'\\')
    base += L'\\';
  srand(static_cast<unsigned>(time(nullptr)));
  for (int attempt = 0; attempt < 50; ++attempt) {
    std::wstring candidate = base + L"pelican_setup_" + std::to_wstring(rand() % 32767);
    if (GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) {
      *folder = candidate;
      return true;
    }
  }
  return false;
}

void RemoveFirewallAuthorization(const std::wstring& program_path, const std::wstring& name) {
  if (program_path.empty() || name.empty())
    return;
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (FAILED(init) && init != RPC_E_CHANGED_MODE)
    return;
  {
    base::ScopedComPtr<INetFwMgr> manager;
    base::ScopedComPtr<INetFwPolicy> policy;
    base::ScopedComPtr<INetFwProfile> profile;
    base::ScopedComPtr<INetFwAuthorizedApplications> applications;
    if (SUCCEEDED(CoCreateInstance(kClsidNetFwMgr, nullptr, CLSCTX_INPROC_SERVER, kIidNetFwMgr,
                                   reinterpret_cast<void**>(manager.Receive()))) &&
        SUCCEEDED(manager->get_LocalPolicy(policy.Receive())) &&
        SUCCEEDED(policy->get_CurrentProfile(profile.Receive())) &&
        SUCCEEDED(profile->get_AuthorizedApplications(applications.Receive()))) {
      BSTR path = SysAllocString(program_path.c_str());
      if (path) {
        applications->Remove(path);
        SysFreeString(path);
      }
    }
  }
  if (SUCCEEDED(init))
    CoUninitialize();
}

int ReplaceAll(std::wstring* text, const std::wstring& pattern, const std::wstring& replacement) {
  if (pattern.empty())
    return 0;
  int count = 0;
  size_t position = 0;
  while ((position = text->find(pattern, position)) != std::wstring::npos) {
    text->replace(position, pattern.size(), replacement);
    position += replacement.size();
    ++count;
  }
  return count;
}

}  // namespace setup_util
