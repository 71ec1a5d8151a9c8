// Shared between the check and the file hold; not part of the unit's interface.
#pragma once

#include <windows.h>

#include <string>

// `hFile` may be null (the file is opened by path) or a handle the caller holds open.
bool VerifyFileSignatureOf(const std::wstring& path, HANDLE hFile, std::wstring* signerName);
bool IsCorvaneSignerTrusted(const std::wstring& path, HANDLE hFile);
