#include "publisher_trust.h"

#include "publisher_trust_internal.h"

CTrustedFileHold::~CTrustedFileHold() {
  Release();
}

void CTrustedFileHold::Release() {
  if (m_hFile != INVALID_HANDLE_VALUE) {
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
  }
}

bool CTrustedFileHold::OpenAndVerify(const std::wstring& path) {
  Release();
  if (path.empty())
    return false;
  // Read sharing still lets the loader map the image; write and delete sharing are withheld.
  HANDLE hFile = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hFile == INVALID_HANDLE_VALUE)
    return false;
  m_hFile = hFile;
  if (!IsCorvaneSignerTrusted(path, m_hFile)) {
    Release();
    return false;
  }
  return true;
}
