#include "uninstall/delete_files.h"

#include <windows.h>

#include <shlobj.h>
#include <tinyxml2.h>

#include <string>
#include <vector>

#include "base/logging.h"
#include "base/scoped_handle_win.h"
#include "base/utf_string_conversions.h"
#include "setup/setup_context.h"
#include "task/task_class_registry.h"
#include "util/file_util_win.h"
#include "util/registry_util_win.h"
#include "util/removal_util_win.h"
#include "util/warden_util_win.h"

namespace uninstall {

namespace {

using tinyxml2::XMLElement;

std::string U8(const std::wstring& text) {
  return base::WideToUTF8(text);
}

// Within a container the first child of the expected name is taken, then every following
// sibling element whatever its name.
std::vector<const XMLElement*> ChildrenFrom(const XMLElement* parent, const char* first_name) {
  std::vector<const XMLElement*> children;
  if (!parent)
    return children;
  for (const XMLElement* child = parent->FirstChildElement(first_name); child;
       child = child->NextSiblingElement()) {
    children.push_back(child);
  }
  return children;
}

void StartHidden(const std::wstring& command_line) {
  std::wstring buffer = command_line;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info = {};
  if (CreateProcessW(nullptr, &buffer[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
}

bool EndsWithNoCase(const std::wstring& text, const wchar_t* tail) {
  size_t length = wcslen(tail);
  return text.size() >= length && _wcsicmp(text.c_str() + text.size() - length, tail) == 0;
}

bool RootKeyFromName(const std::string& name, HKEY* root) {
  struct Root {
    const char* long_name;
    const char* short_name;
    HKEY key;
  };
  const Root kRoots[] = {
      {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
      {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
      {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
      {"HKEY_USERS", nullptr, HKEY_USERS},
      {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG},
      {"HKEY_DYN_DATA", "HKDD", HKEY_DYN_DATA},
      {"HKEY_PERFORMANCE_DATA", "HKPD", HKEY_PERFORMANCE_DATA},
  };
  for (const Root& candidate : kRoots) {
    if (name == candidate.long_name || (candidate.short_name && name == candidate.short_name)) {
      *root = candidate.key;
      return true;
    }
  }
  return false;
}

std::string ReadWholeFile(const std::wstring& path, bool* ok) {
  std::string bytes;
  *ok = false;
  base::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid())
    return bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
    bytes.append(buffer, read);
  *ok = true;
  return bytes;
}

// The installed description, or the backup under SetupTempPath\Uninstall\<version>.
bool FindDescription(const std::wstring& install, std::wstring* path, bool* is_backup) {
  *path = install + L"\\Uninstall.xml";
  *is_backup = false;
  if (setup_util::IsFile(*path))
    return true;
  base::ScopedHKEY key;
  std::wstring version, temp;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Tern", 0, KEY_READ, key.Receive()) !=
          ERROR_SUCCESS ||
      !setup_util::ReadRegistryString(key.Get(), L"version", &version) || version.empty()) {
    return false;
  }
  SetupContext::GetWStringValue("SetupTempPath", &temp);
  if (temp.empty())
    return false;
  while (temp.back() == L'\\')
    temp.pop_back();
  *path = temp + L"\\Uninstall\\" + version + L"\\Uninstall.xml";
  *is_backup = true;
  return setup_util::IsFile(*path);
}

void CheckVersion(const char* version_num) {
  std::vector<std::string> parts;
  std::string text = version_num;
  size_t start = 0;
  for (size_t dot; (dot = text.find('.', start)) != std::string::npos; start = dot + 1)
    parts.push_back(text.substr(start, dot - start));
  parts.push_back(text.substr(start));
  if (parts.size() != 2) {
    LOG(ERROR) << "version num invalid";
    return;
  }
  if (atoi(parts[0].c_str()) != 1 || atoi(parts[1].c_str()) != 0)
    LOG(INFO) << "version num = " << text;
}

class Remover {
 public:
  Remover(const std::wstring& install, const std::wstring& common, const std::wstring& regsvr32)
      : install_(install), common_(common), regsvr32_(regsvr32) {}

  void Modules(const XMLElement* root);
  void Registry(const XMLElement* root);
  // An empty `temp_folder` moves files aside next to themselves.
  void Files(const XMLElement* root, const std::wstring& temp_folder);

 private:
  void DeleteKeyValues(HKEY root,
                       const char* root_name,
                       const std::wstring& subkey,
                       const XMLElement* key);
  void RemoveEmptyKeys(HKEY root, std::wstring subkey);
  void RemoveFile(const std::wstring& path);
  void RemoveDir(const std::wstring& path);

  std::wstring install_;
  std::wstring common_;
  std::wstring regsvr32_;
  std::wstring temp_folder_;
};

void LogRename(const std::wstring& from, const std::wstring& to) {
  LOG(WARNING) << "rename " << U8(from) << " to " << U8(to) << " failed.";
}

void Remover::Modules(const XMLElement* root) {
  for (const XMLElement* module : ChildrenFrom(root->FirstChildElement("Regsvr"), "Moudle")) {
    const char* type = module->Attribute("type");
    const char* path_attribute = module->Attribute("path");
    if (!type) {
      LOG(ERROR) << "type == NULL";
      continue;
    }
    if (!path_attribute) {
      LOG(ERROR) << "path == NULL";
      continue;
    }
    std::wstring path = base::UTF8ToWide(path_attribute);
    setup_util::ReplaceAll(&path, L"$intallpath$", install_);
    setup_util::ReplaceAll(&path, L"$common$", common_);
    if (strcmp(type, "DLL") == 0) {
      StartHidden(L"\"" + regsvr32_ + L"\" /s /u \"" + path + L"\"");
    } else if (strcmp(type, "EXE") == 0) {
      // The protection component is stopped and removed by its own tasks.
      if (EndsWithNoCase(path, L"warden.exe"))
        continue;
      const char* argument = module->Attribute("uninstall_arg");
      if (!argument) {
        LOG(ERROR) << "arg == NULL";
        continue;
      }
      StartHidden(L"\"" + path + L"\" " + base::UTF8ToWide(argument));
    }
  }
}

void Remover::Registry(const XMLElement* root) {
  for (const XMLElement* key : ChildrenFrom(root->FirstChildElement("Registry"), "Key")) {
    const char* root_name = key->Attribute("rootkey");
    const char* subkey_attribute = key->Attribute("subkey");
    if (!root_name) {
      LOG(ERROR) << "root_key == NULL";
      continue;
    }
    if (!subkey_attribute) {
      LOG(ERROR) << "sub_key == NULL";
      continue;
    }
    HKEY root_key = nullptr;
    if (!RootKeyFromName(root_name, &root_key)) {
      DCHECK(false);
      continue;
    }
    std::wstring subkey = base::UTF8ToWide(subkey_attribute);
    while (!subkey.empty() && subkey.back() == L'\\')
      subkey.pop_back();
    // An empty subkey would name the root itself.
    if (subkey.empty()) {
      LOG(ERROR) << "sub_key == NULL";
      continue;
    }
    DeleteKeyValues(root_key, root_name, subkey, key);
  }
}

void Remover::DeleteKeyValues(HKEY root,
                              const char* root_name,
                              const std::wstring& subkey,
                              const XMLElement* key) {
  {
    base::ScopedHKEY opened;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_SET_VALUE, opened.Receive()) != ERROR_SUCCESS) {
      LOG(ERROR) << "open key:" << root_name << "\\" << U8(subkey) << "failed";
      return;
    }
    for (const XMLElement* value : ChildrenFrom(key, "Value")) {
      const char* name = value->Attribute("name");
      if (!name) {
        LOG(ERROR) << "name == NULL";
        continue;
      }
      std::wstring value_name = strcmp(name, "@") == 0 ? std::wstring() : base::UTF8ToWide(name);
      RegDeleteValueW(opened.Get(), value_name.c_str());
    }
  }
  RemoveEmptyKeys(root, subkey);
}

void Remover::RemoveEmptyKeys(HKEY root, std::wstring subkey) {
  while (!subkey.empty()) {
    {
      base::ScopedHKEY opened;
      if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS)
        return;
      DWORD subkeys = 0, values = 0;
      if (RegQueryInfoKeyW(opened.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                           &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
          subkeys > 0 || values > 0) {
        return;
      }
    }
    if (RegDeleteKeyW(root, subkey.c_str()) != ERROR_SUCCESS)
      return;
    size_t slash = subkey.find_last_of(L'\\');
    if (slash == std::wstring::npos)
      return;
    subkey.resize(slash);
  }
}

void Remover::Files(const XMLElement* root, const std::wstring& temp_folder) {
  temp_folder_ = temp_folder;
  const XMLElement* files = root->FirstChildElement("Files");
  if (!files)
    return;
  wchar_t own[MAX_PATH * 2] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH * 2);
  const std::wstring own_path = setup_util::NormalizePath(own);
  for (const XMLElement* file = files->FirstChildElement("File"); file;
       file = file->NextSiblingElement("File")) {
    const char* path_attribute = file->Attribute("path");
    if (!path_attribute) {
      LOG(ERROR) << "path_name == NULL";
      continue;
    }
    std::wstring path = setup_util::NormalizePath(base::UTF8ToWide(path_attribute));
    if (_wcsicmp(path.c_str(), own_path.c_str()) == 0) {
      LOG(ERROR) << "delete uninstall.exe, continue.";
      continue;
    }
    RemoveFile(path);
  }
  for (const XMLElement* dir = files->FirstChildElement("Dir"); dir;
       dir = dir->NextSiblingElement("Dir")) {
    const char* path_attribute = dir->Attribute("path");
    if (!path_attribute) {
      LOG(ERROR) << "path_name == NULL";
      continue;
    }
    RemoveDir(setup_util::NormalizePath(base::UTF8ToWide(path_attribute)));
  }
}

void Remover::RemoveFile(const std::wstring& path) {
  bool is_directory = false;
  std::wstring moved;
  if (!setup_util::MakeMoveAsideName(path, temp_folder_, &is_directory, &moved))
    return;
  if (is_directory) {
    LOG(WARNING) << "exist dir to delete a file : " << U8(path);
    if (!MoveFileW(path.c_str(), moved.c_str()))
      LogRename(path, moved);
    return;
  }
  // Moving first frees the name at once, also for a running program that cannot be deleted.
  std::wstring target = path;
  if (MoveFileW(path.c_str(), moved.c_str()))
    target = moved;
  else
    LogRename(path, moved);
  if (!setup_util::DeletePath(target)) {
    LOG(WARNING) << "delete file:" << U8(target) << " failed.";
    setup_util::DeleteAtRestart(target);
  }
}

void Remover::RemoveDir(const std::wstring& path) {
  bool is_directory = false;
  std::wstring moved;
  if (!setup_util::MakeMoveAsideName(path, temp_folder_, &is_directory, &moved))
    return;
  if (!is_directory) {
    LOG(WARNING) << "exist file to delete a dir : " << U8(path);
    if (!MoveFileW(path.c_str(), moved.c_str()))
      LogRename(path, moved);
    return;
  }
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  bool empty = true;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
        empty = false;
    } while (empty && FindNextFileW(find, &data));
    FindClose(find);
  }
  if (!empty)
    return;
  std::wstring target = path;
  if (MoveFileW(path.c_str(), moved.c_str()))
    target = moved;
  else
    LogRename(path, moved);
  setup_util::DeletePath(target);
}

void RemoveFixedLeftovers(const std::wstring& install) {
  std::string from;
  if (SetupContext::GetStringValue("UninstallFrom", &from) && from == "SetupExe") {
    base::ScopedHKEY run;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_SET_VALUE, run.Receive()) == ERROR_SUCCESS) {
      RegDeleteValueW(run.Get(), L"Tern");
    }
  }

  const std::wstring roaming = setup_util::GetShellFolderPath(CSIDL_APPDATA);
  std::vector<std::wstring> shortcuts;
  std::wstring desktop = setup_util::GetShellFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY);
  if (!desktop.empty())
    shortcuts.push_back(desktop + L"\\Tern.lnk");
  if (!roaming.empty())
    shortcuts.push_back(roaming + L"\\Microsoft\\Internet Explorer\\Quick Launch\\Tern.lnk");
  for (const std::wstring& shortcut : shortcuts) {
    if (setup_util::IsFile(shortcut))
      setup_util::DeletePath(shortcut);
  }
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, nullptr, nullptr);

  for (const wchar_t* program :
       {L"\\Bin\\Warden\\Bin\\Warden.exe", L"\\Warden\\Bin\\Warden.exe", L"\\Bin\\Tern.exe",
        L"\\Bin\\ksupd.exe", L"\\Bin\\TernPelican.exe"}) {
    setup_util::RemoveFirewallAuthorization(install + program, L"Tern");
  }

  if (!roaming.empty()) {
    for (const wchar_t* cache : {L"\\Corvane\\Tern\\rdo.cache", L"\\Corvane\\Tern\\loginrdo.cache",
                                 L"\\Corvane\\Tern\\uirdo.cache"}) {
      if (setup_util::IsFile(roaming + cache))
        setup_util::DeletePath(roaming + cache);
    }
  }
}

std::wstring CreateRemovedFilesFolder(const std::wstring& install) {
  std::wstring folder;
  if (!setup_util::MakeRemovedFilesTempFolder(install, &folder)) {
    LOG(WARNING) << "Get remove file temp directory " << U8(folder) << " failed.";
    DCHECK(false);
    return std::wstring();
  }
  if (!CreateDirectoryW(folder.c_str(), nullptr)) {
    LOG(WARNING) << "Create remove file temp directory " << U8(folder) << " failed.";
    DCHECK(false);
    return std::wstring();
  }
  SetupContext::SetWStringValue("DeleteFileTempPath", folder);
  return folder;
}

}  // namespace

void DeleteFiles::Run(task_object::RuntimeObject*) {
  std::string install_type;
  bool result = SetupContext::GetStringValue("PreviousInstallType", &install_type);
  DCHECK(result);

  setup_util::UnregisterWardenProduct();
  LOG(INFO) << "After DeleteFiles::Run(): product info: count=" << setup_util::WardenProductCount();

  std::wstring install;
  SetupContext::GetWStringValue("PreviousInstallPath", &install);
  install = setup_util::NormalizePath(install);
  if (install_type != "NewSetup") {
    DCHECK(false);
    return;
  }
  // Without an installation directory every relative item would land in the current folder.
  if (install.empty())
    return;

  std::wstring common = setup_util::CommonProgramFilesFolder();
  HRESULT hr = common.empty() ? E_FAIL : S_OK;
  DCHECK(hr == S_OK);
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring regsvr32 = std::wstring(system) + L"\\regsvr32.exe";

  std::wstring description;
  bool is_backup = false;
  if (!FindDescription(install, &description, &is_backup))
    return;

  bool read = false;
  std::string bytes = ReadWholeFile(description, &read);
  tinyxml2::XMLDocument document;
  tinyxml2::XMLError error = read ? document.Parse(bytes.data(), bytes.size())
                                  : tinyxml2::XML_ERROR_FILE_COULD_NOT_BE_OPENED;
  if (error != tinyxml2::XML_SUCCESS) {
    LOG(ERROR) << "ErrorID = " << static_cast<int>(error);
    return;
  }
  const XMLElement* root = document.FirstChildElement("Uninstall");
  if (!root) {
    LOG(ERROR) << "uninstall_root == NULL";
    return;
  }
  const XMLElement* version = root->FirstChildElement("Version");
  const char* version_num = version ? version->Attribute("versionnum") : nullptr;
  if (!version_num) {
    LOG(ERROR) << "version_num_value == NULL";
    return;
  }
  CheckVersion(version_num);

  Remover remover(install, common, regsvr32);
  remover.Modules(root);
  remover.Registry(root);
  RemoveFixedLeftovers(install);
  remover.Files(root, CreateRemovedFilesFolder(install));

  if (!is_backup)
    setup_util::DeletePath(description);
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::DeleteFiles, DeleteFiles)
