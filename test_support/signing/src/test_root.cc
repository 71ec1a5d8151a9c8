#include "tern_test/test_root.h"

#include <windows.h>
#include <wincrypt.h>

#include "tern_test/process.h"

namespace tern_test {

namespace {

struct StoreCloser {
  HCERTSTORE store;
  ~StoreCloser() {
    if (store)
      CertCloseStore(store, 0);
  }
};

}  // namespace

bool InstallTestRoot() {
  std::string der = ReadFileBytes(ExeDir() + L"\\tern_test_root.cer");
  if (der.empty())
    return false;
  // Wine's certutil does not add certificates, so the store is written through crypt32.
  StoreCloser root{
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT")};
  if (!root.store)
    return false;
  return CertAddEncodedCertificateToStore(
             root.store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
             static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
}

std::wstring Fixture(const std::wstring& folder, const std::wstring& name) {
  return ExeDir() + L"\\" + folder + L"\\" + name;
}

}  // namespace tern_test
