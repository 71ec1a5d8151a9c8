// `Register` makes Explorer offer Docwick in the Open-With list of Word and Excel documents;
// `Unregister` removes the application entry again. Always exits with 0, silently.
#pragma once

#include <windows.h>

#include <string>

#include "runner/runner.h"

namespace docwick {

class COpenWithRegisterRunner : public IRunner {
 public:
  // Writes under HKEY_CLASSES_ROOT and HKEY_CURRENT_USER.
  COpenWithRegisterRunner();
  // Writes under the given keys in their place (tests).
  COpenWithRegisterRunner(HKEY classes_root, HKEY current_user);

  int Run(const std::wstring& command, const std::wstring& params) override;

 private:
  void Register();
  void Unregister();

  HKEY m_classesRoot;
  HKEY m_currentUser;
};

}  // namespace docwick
