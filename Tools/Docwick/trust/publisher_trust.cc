#include "publisher_trust.h"

#include <stddef.h>
#include <wintrust.h>
#include <softpub.h>

#include "publisher_trust_internal.h"

namespace {

const wchar_t kCorvanePublisher[] = L"Corvane Technology Company Limited";
const DWORD kSignerNameChars = 400;

// {00AAC56B-CD44-11D0-8CC2-00C04FC295EE}
const GUID kActionGenericVerifyV2 = {0x00aac56b,
                                     0xcd44,
                                     0x11d0,
                                     {0x8c, 0xc2, 0x00, 0xc0, 0x4f, 0xc2, 0x95, 0xee}};

// {189A3842-3041-11D1-85E1-00C04FC295EE}: its provider shares the verify action's clean-up.
const GUID kActionGenericCertVerify = {0x189a3842,
                                       0x3041,
                                       0x11d1,
                                       {0x85, 0xe1, 0x00, 0xc0, 0x4f, 0xc2, 0x95, 0xee}};

// The request as the XP-era structure knew it: everything up to and including dwUIContext
// (48 bytes in the 32-bit build).
const DWORD kTrustDataSize = offsetof(WINTRUST_DATA, dwUIContext) + sizeof(DWORD);
static_assert(sizeof(void*) != 4 || kTrustDataSize == 48, "XP-sized WINTRUST_DATA");

}  // namespace

bool VerifyFileSignatureOf(const std::wstring& path, HANDLE hFile, std::wstring* signerName) {
  WINTRUST_FILE_INFO fileInfo = {};
  fileInfo.cbStruct = sizeof(fileInfo);
  fileInfo.pcwszFilePath = path.c_str();
  fileInfo.hFile = hFile;

  WINTRUST_DATA data = {};
  data.cbStruct = kTrustDataSize;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_SAFER_FLAG | WTD_REVOCATION_CHECK_NONE;

  GUID action = kActionGenericVerifyV2;
  LONG status = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);

  bool result = false;
  // Not only negative codes fail: a missing file comes back as a plain Win32 error (2).
  if (status == ERROR_SUCCESS) {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer =
        provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    CRYPT_PROVIDER_CERT* cert = signer ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
    if (cert && cert->pCert) {
      result = IsChainRootTrusted(signer);
      wchar_t name[kSignerNameChars] = {};
      CertGetNameStringW(cert->pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name,
                         kSignerNameChars - 1);
      if (signerName)
        *signerName = name;
    }
  }

  // Closed on the failure path too: a failed verify can still leave provider state behind.
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  data.pFile = nullptr;
  data.dwProvFlags = 0;
  GUID closeAction = kActionGenericCertVerify;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &closeAction, &data);
  return result;
}

bool IsChainRootTrusted(CRYPT_PROVIDER_SGNR* signer) {
  if (!signer)
    return false;
  CRYPT_PROVIDER_CERT* last = nullptr;
  for (DWORD i = 0;; ++i) {
    CRYPT_PROVIDER_CERT* cert = WTHelperGetProvCertFromChain(signer, i);
    if (!cert)
      break;
    last = cert;
  }
  return last && last->fTrustedRoot;
}

bool VerifyFileSignature(const std::wstring& path, std::wstring* signerName) {
  return VerifyFileSignatureOf(path, nullptr, signerName);
}

bool IsCorvaneSignerTrusted(const std::wstring& path, HANDLE hFile) {
  if (path.empty())
    return false;
  std::wstring signer;
  if (!VerifyFileSignatureOf(path, hFile, &signer))
    return false;
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, signer.c_str(), -1, kCorvanePublisher,
                        -1) == CSTR_EQUAL;
}

bool IsCorvaneTrusted(const std::wstring& path) {
  return IsCorvaneSignerTrusted(path, nullptr);
}
