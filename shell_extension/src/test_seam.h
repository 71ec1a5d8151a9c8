// TEST ONLY. Compiled into the test build of the extension (DOCWICKEXT_TEST_SEAM), never into
// DocwickExt.dll or DocwickExt64.dll: the shipped class records no selection, so tests use this
// interface to give the handler a file path and menu-item texts and icon.
#pragma once

#include <windows.h>

// {5E0C3A4D-7B1F-4C8E-9A55-2F6D1E3B7C90}, a test-only id.
static const IID IID_ITernShellExtensionTestSeam = {
    0x5e0c3a4d,
    0x7b1f,
    0x4c8e,
    {0x9a, 0x55, 0x2f, 0x6d, 0x1e, 0x3b, 0x7c, 0x90}};

struct ITernShellExtensionTestSeam : public IUnknown {
  // Sets the path that InvokeCommand sends to Docwick.exe.
  virtual HRESULT STDMETHODCALLTYPE SetFilePathForTest(LPCWSTR pszPath) = 0;
  // Sets caption and help text (copied) and the item icon (the object takes ownership).
  virtual HRESULT STDMETHODCALLTYPE SetMenuInfoForTest(LPCWSTR pszText,
                                                       LPCWSTR pszHelpText,
                                                       HICON hIcon) = 0;
};
