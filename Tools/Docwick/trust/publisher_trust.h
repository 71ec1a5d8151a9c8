// Publisher trust check: is a file validly signed by the maker under a trusted root?
// Docwick and the shell extension run it before they start another of the maker's programs.
#pragma once

#include <windows.h>

#include <string>

struct _CRYPT_PROVIDER_SGNR;

// True only when the file's embedded Authenticode signature verifies, its chain ends in a
// trusted root, and the signing certificate's name is "Corvane Technology Company Limited"
// (compared case-insensitively over the whole name). Every failure yields false.
bool IsCorvaneTrusted(const std::wstring& path);

// Verifies the embedded signature of `path` and yields the trusted-root flag of the signer's
// chain. `signerName` receives the signing certificate's simple display name whenever the
// verification produced a signer certificate.
bool VerifyFileSignature(const std::wstring& path, std::wstring* signerName);

// The trusted-root flag of the last certificate of the signer's chain; false for an empty chain.
bool IsChainRootTrusted(_CRYPT_PROVIDER_SGNR* signer);

// Keeps a verified file open without write or delete sharing, so nobody can replace it between
// the check and the launch. Hold the object until the program started from the file is running
// (until ShellExecute / CreateProcess has returned), then let it go.
class CTrustedFileHold {
 public:
  CTrustedFileHold() = default;
  ~CTrustedFileHold();
  CTrustedFileHold(const CTrustedFileHold&) = delete;
  CTrustedFileHold& operator=(const CTrustedFileHold&) = delete;

  // Opens `path` (read access, read sharing only), then runs the maker check on the very file it
  // holds. On false nothing is held.
  bool OpenAndVerify(const std::wstring& path);
  bool IsHeld() const { return m_hFile != INVALID_HANDLE_VALUE; }
  void Release();

 private:
  HANDLE m_hFile = INVALID_HANDLE_VALUE;
};
