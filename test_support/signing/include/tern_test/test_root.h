// The suite's throwaway test root certificate, for tests of signature checks.
#pragma once

#include <string>

namespace tern_test {

// Adds the test root (tern_test_root.cer beside the test program) to the local machine's ROOT
// store of the prefix. Idempotent; true when the root is in the store afterwards.
bool InstallTestRoot();

// Full path of a file in a folder beside the test program, e.g. Fixture(L"trust_fixtures",
// L"signed_corvane.exe").
std::wstring Fixture(const std::wstring& folder, const std::wstring& name);

}  // namespace tern_test
