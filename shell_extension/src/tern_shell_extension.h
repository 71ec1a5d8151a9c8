// CTernShellExtension: the context-menu handler class (automation interface, shell init,
// context menu 1-3). Apartment-threaded; one instance per request of the shell.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "guids.h"
#ifdef DOCWICKEXT_TEST_SEAM
#include "test_seam.h"
#endif

struct RootMenuInfo {
  UINT uMenuId;
  LPCWSTR pszText;      // not owned
  LPCWSTR pszHelpText;  // not owned
  HBITMAP hBmpItem;
  HBITMAP hBmpChecked;
  HBITMAP hBmpUnchecked;
  HICON hIcon;
};

class CTernShellExtension final : public ITernShellExtension,
                                  public IShellExtInit,
#ifdef DOCWICKEXT_TEST_SEAM
                                  public ITernShellExtensionTestSeam,
#endif
                                  public IContextMenu3 {
 public:
  // Creator for the class factory: a new object queried for `riid`, destroyed if that fails.
  static HRESULT CreateInstance(REFIID riid, void** ppv);

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch, from the embedded type library.
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid,
                             LPOLESTR* rgszNames,
                             UINT cNames,
                             LCID lcid,
                             DISPID* rgDispId) override;
  STDMETHODIMP Invoke(DISPID dispIdMember,
                      REFIID riid,
                      LCID lcid,
                      WORD wFlags,
                      DISPPARAMS* pDispParams,
                      VARIANT* pVarResult,
                      EXCEPINFO* pExcepInfo,
                      UINT* puArgErr) override;

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidlFolder,
                          IDataObject* pdtobj,
                          HKEY hkeyProgID) override;

  // IContextMenu, IContextMenu2, IContextMenu3
  STDMETHODIMP QueryContextMenu(HMENU hmenu,
                                UINT indexMenu,
                                UINT idCmdFirst,
                                UINT idCmdLast,
                                UINT uFlags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* pici) override;
  STDMETHODIMP GetCommandString(UINT_PTR idCmd,
                                UINT uType,
                                UINT* pReserved,
                                CHAR* pszName,
                                UINT cchMax) override;
  STDMETHODIMP HandleMenuMsg(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  STDMETHODIMP HandleMenuMsg2(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) override;

#ifdef DOCWICKEXT_TEST_SEAM
  STDMETHODIMP SetFilePathForTest(LPCWSTR pszPath) override;
  STDMETHODIMP SetMenuInfoForTest(LPCWSTR pszText, LPCWSTR pszHelpText, HICON hIcon) override;
#endif

  // Full path of Docwick.exe beside this DLL; empty on failure.
  std::wstring GetDocwickPath();

 private:
  CTernShellExtension();
  ~CTernShellExtension();
  CTernShellExtension(const CTernShellExtension&) = delete;
  CTernShellExtension& operator=(const CTernShellExtension&) = delete;

  HRESULT DoQueryContextMenu(HMENU hmenu,
                             UINT indexMenu,
                             UINT idCmdFirst,
                             UINT idCmdLast,
                             UINT uFlags);
  HRESULT DoInvokeCommand(CMINVOKECOMMANDINFO* pici);
  HRESULT DoGetCommandString(UINT uType, CHAR* pszName, UINT cchMax);
  HRESULT LoadTypeInfo();

  ULONG m_cRef = 0;  // single-threaded object
  UINT m_uCmdFirst = 0;
  BOOL m_bMenuBitmap = 1;
  std::wstring m_strFilePath;
  RootMenuInfo m_ternRootMenuInfo;
  ITypeInfo* m_pTypeInfo = nullptr;
#ifdef DOCWICKEXT_TEST_SEAM
  std::wstring m_strSeamText;
  std::wstring m_strSeamHelpText;
#endif
};
