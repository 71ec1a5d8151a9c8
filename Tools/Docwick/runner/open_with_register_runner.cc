#include "runner/open_with_register_runner.h"

#include "runner/open_with_list_update.h"
#include "runner/open_with_rules.h"
#include "runner/scoped_reg_key.h"

namespace docwick {

namespace {

const wchar_t kApplicationsKey[] = L"Applications";
const wchar_t kProgramName[] = L"Docwick.exe";
const wchar_t* const kExtensions[] = {L".doc", L".docx", L".xls", L".xlsx"};

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  // A truncated path would register a program that does not exist.
  if (length == 0 || length >= MAX_PATH)
    return std::wstring();
  return std::wstring(path, length);
}

void DeleteApplicationEntry(HKEY classes_root) {
  CScopedRegKey applications;
  if (applications.Open(classes_root, kApplicationsKey, KEY_READ | KEY_WRITE) != ERROR_SUCCESS)
    return;
  DeleteKeyTree(applications.get(), kProgramName);
}

}  // namespace

COpenWithRegisterRunner::COpenWithRegisterRunner()
    : COpenWithRegisterRunner(HKEY_CLASSES_ROOT, HKEY_CURRENT_USER) {}

COpenWithRegisterRunner::COpenWithRegisterRunner(HKEY classes_root, HKEY current_user)
    : m_classesRoot(classes_root), m_currentUser(current_user) {}

int COpenWithRegisterRunner::Run(const std::wstring& command, const std::wstring& /*params*/) {
  if (command == L"Register")
    Register();
  else if (command == L"Unregister")
    Unregister();
  return 0;
}

void COpenWithRegisterRunner::Register() {
  const std::wstring path = ModulePath();
  if (!path.empty()) {
    DeleteApplicationEntry(m_classesRoot);
    const std::wstring appKey = std::wstring(kApplicationsKey) + L"\\" + kProgramName;
    CScopedRegKey app;
    if (app.Create(m_classesRoot, appKey) == ERROR_SUCCESS)
      app.SetString(L"FriendlyAppName", OpenWithFriendlyAppName(path));
    CScopedRegKey command;
    if (command.Create(m_classesRoot, appKey + L"\\shell\\open\\command") == ERROR_SUCCESS)
      command.SetString(nullptr, OpenWithCommandTemplate(path));
  }
  for (const wchar_t* extension : kExtensions)
    UpdateOpenWithList(m_currentUser, extension);
}

void COpenWithRegisterRunner::Unregister() {
  DeleteApplicationEntry(m_classesRoot);
}

}  // namespace docwick
