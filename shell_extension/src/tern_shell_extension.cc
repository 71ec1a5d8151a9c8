#include "tern_shell_extension.h"

#include <new>

#include "base64.h"
#include "log.h"
#include "module.h"
#include "publisher_trust.h"

namespace {

const UINT kIconSize = 16;

// No exception or allocation failure may leave a COM method.
template <typename F>
HRESULT NoThrow(F&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

bool CopyToBuffer(const std::string& text, CHAR* out, UINT cchMax) {
  return lstrcpynA(out, text.c_str(), static_cast<int>(cchMax)) != nullptr;
}

}  // namespace

HRESULT CTernShellExtension::CreateInstance(REFIID riid, void** ppv) {
  CTernShellExtension* object = new (std::nothrow) CTernShellExtension();
  if (!object)
    return E_OUTOFMEMORY;
  HRESULT hr = object->QueryInterface(riid, ppv);
  if (FAILED(hr))
    delete object;
  return hr;
}

CTernShellExtension::CTernShellExtension() : m_ternRootMenuInfo() {
  g_module.Lock();
}

CTernShellExtension::~CTernShellExtension() {
  RootMenuInfo& info = m_ternRootMenuInfo;
  if (info.hIcon) {
    DestroyIcon(info.hIcon);
    info.hIcon = nullptr;
  }
  for (HBITMAP* bitmap : {&info.hBmpItem, &info.hBmpChecked, &info.hBmpUnchecked}) {
    if (*bitmap) {
      DeleteObject(*bitmap);
      *bitmap = nullptr;
    }
  }
  if (m_pTypeInfo)
    m_pTypeInfo->Release();
  g_module.Unlock();
}

STDMETHODIMP CTernShellExtension::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv)
    return E_POINTER;
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITernShellExtension) ||
      IsEqualIID(riid, IID_IDispatch))
    *ppv = static_cast<ITernShellExtension*>(this);
  else if (IsEqualIID(riid, IID_IShellExtInit))
    *ppv = static_cast<IShellExtInit*>(this);
  else if (IsEqualIID(riid, IID_IContextMenu))
    *ppv = static_cast<IContextMenu*>(this);
  else if (IsEqualIID(riid, IID_IContextMenu2))
    *ppv = static_cast<IContextMenu2*>(this);
  else if (IsEqualIID(riid, IID_IContextMenu3))
    *ppv = static_cast<IContextMenu3*>(this);
#ifdef DOCWICKEXT_TEST_SEAM
  else if (IsEqualIID(riid, IID_ITernShellExtensionTestSeam))
    *ppv = static_cast<ITernShellExtensionTestSeam*>(this);
#endif
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CTernShellExtension::AddRef() {
  return ++m_cRef;
}

STDMETHODIMP_(ULONG) CTernShellExtension::Release() {
  ULONG n = --m_cRef;
  if (n == 0)
    delete this;
  return n;
}

HRESULT CTernShellExtension::LoadTypeInfo() {
  if (m_pTypeInfo)
    return S_OK;
  wchar_t path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(g_module.m_hInstance, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return E_FAIL;
  ITypeLib* typeLib = nullptr;
  HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &typeLib);
  if (FAILED(hr))
    return hr;
  hr = typeLib->GetTypeInfoOfGuid(IID_ITernShellExtension, &m_pTypeInfo);
  typeLib->Release();
  return hr;
}

STDMETHODIMP CTernShellExtension::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo)
    return E_POINTER;
  *pctinfo = 1;
  return S_OK;
}

STDMETHODIMP CTernShellExtension::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
  if (!ppTInfo)
    return E_POINTER;
  *ppTInfo = nullptr;
  if (iTInfo != 0)
    return DISP_E_BADINDEX;
  HRESULT hr = LoadTypeInfo();
  if (FAILED(hr))
    return hr;
  m_pTypeInfo->AddRef();
  *ppTInfo = m_pTypeInfo;
  return S_OK;
}

STDMETHODIMP CTernShellExtension::GetIDsOfNames(REFIID,
                                                LPOLESTR* rgszNames,
                                                UINT cNames,
                                                LCID,
                                                DISPID* rgDispId) {
  HRESULT hr = LoadTypeInfo();
  if (FAILED(hr))
    return hr;
  return DispGetIDsOfNames(m_pTypeInfo, rgszNames, cNames, rgDispId);
}

STDMETHODIMP CTernShellExtension::Invoke(DISPID dispIdMember,
                                         REFIID,
                                         LCID,
                                         WORD wFlags,
                                         DISPPARAMS* pDispParams,
                                         VARIANT* pVarResult,
                                         EXCEPINFO* pExcepInfo,
                                         UINT* puArgErr) {
  HRESULT hr = LoadTypeInfo();
  if (FAILED(hr))
    return hr;
  return DispInvoke(static_cast<ITernShellExtension*>(this), m_pTypeInfo, dispIdMember, wFlags,
                    pDispParams, pVarResult, pExcepInfo, puArgErr);
}

STDMETHODIMP CTernShellExtension::Initialize(PCIDLIST_ABSOLUTE, IDataObject*, HKEY) {
  // The handler declines every selection, so the shell does not offer the item.
  return E_NOTIMPL;
}

STDMETHODIMP CTernShellExtension::QueryContextMenu(HMENU hmenu,
                                                   UINT indexMenu,
                                                   UINT idCmdFirst,
                                                   UINT idCmdLast,
                                                   UINT uFlags) {
  return NoThrow(
      [&] { return DoQueryContextMenu(hmenu, indexMenu, idCmdFirst, idCmdLast, uFlags); });
}

HRESULT CTernShellExtension::DoQueryContextMenu(HMENU hmenu,
                                                UINT indexMenu,
                                                UINT idCmdFirst,
                                                UINT idCmdLast,
                                                UINT uFlags) {
  if (uFlags & CMF_VERBSONLY) {
    LogShellExt(
        L"CTernShellExtension.QueryContextMenu CMF_VERBSONLY uFlags[0x%x], indexMenu[%lu], "
        L"idCmdFirst[%lu], idCmdLast[%lu]\n",
        uFlags, indexMenu, idCmdFirst, idCmdLast);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  }
  if (uFlags & CMF_DEFAULTONLY) {
    LogShellExt(
        L"CTernShellExtension.QueryContextMenu CMF_DEFAULTONLY uFlags[0x%x], indexMenu[%lu], "
        L"idCmdFirst[%lu], idCmdLast[%lu]\n",
        uFlags, indexMenu, idCmdFirst, idCmdLast);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  }
  // Three ids are needed; the 64-bit sum keeps idCmdFirst near UINT_MAX from wrapping.
  if (static_cast<unsigned long long>(idCmdFirst) + 2 > idCmdLast) {
    LogShellExt(
        L"CTernShellExtension.QueryContextMenu uFlags[0x%x], indexMenu[%lu], idCmdFirst[%lu], "
        L"idCmdLast[%lu]\n",
        uFlags, indexMenu, idCmdFirst, idCmdLast);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  }
  m_uCmdFirst = idCmdFirst;
  if (InsertMenuW(hmenu, indexMenu, MF_BYPOSITION | MF_SEPARATOR, idCmdFirst, nullptr)) {
    m_ternRootMenuInfo.uMenuId = idCmdFirst + 1;
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_FTYPE | MIIM_SUBMENU;
    item.fType = MFT_STRING;
    item.wID = m_ternRootMenuInfo.uMenuId;
    item.dwTypeData = const_cast<LPWSTR>(m_ternRootMenuInfo.pszText);
    item.hSubMenu = nullptr;
    item.hbmpChecked = m_ternRootMenuInfo.hBmpChecked;
    item.hbmpUnchecked = m_ternRootMenuInfo.hBmpUnchecked;
    item.hbmpItem = m_bMenuBitmap ? m_ternRootMenuInfo.hBmpItem : HBMMENU_CALLBACK;
    InsertMenuItemW(hmenu, indexMenu + 1, TRUE, &item);
    if (InsertMenuW(hmenu, indexMenu + 2, MF_BYPOSITION | MF_SEPARATOR, idCmdFirst + 2, nullptr))
      return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
  }
  LogShellExt(L"CTernShellExtension.QueryContextMenu InsertMenu Error.\n");
  return E_FAIL;
}

STDMETHODIMP CTernShellExtension::InvokeCommand(CMINVOKECOMMANDINFO* pici) {
  return NoThrow([&] { return DoInvokeCommand(pici); });
}

HRESULT CTernShellExtension::DoInvokeCommand(CMINVOKECOMMANDINFO* pici) {
  if (!pici)
    return E_INVALIDARG;
  const UINT_PTR verb = reinterpret_cast<UINT_PTR>(pici->lpVerb);
  if ((verb >> 16) != 0)
    return E_INVALIDARG;
  if (LOWORD(verb) + m_uCmdFirst != m_ternRootMenuInfo.uMenuId) {
    LogShellExt(L"CTernShellExtension::InvokeCommand uMenuId != m_ternRootMenuInfo.uMenuId .\n");
    return E_FAIL;
  }

  const std::wstring docwickPath = GetDocwickPath();

  const int pathLength = static_cast<int>(m_strFilePath.size());
  int utf8Length = WideCharToMultiByte(CP_UTF8, 0, m_strFilePath.c_str(), pathLength, nullptr, 0,
                                       nullptr, nullptr);
  if (utf8Length == 0) {
    LogShellExt(L"CTernShellExtension::InvokeCommand WideCharToMultiByte return 0 .\n");
    return E_FAIL;
  }
  std::string utf8(static_cast<size_t>(utf8Length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, m_strFilePath.c_str(), pathLength, &utf8[0], utf8Length, nullptr,
                      nullptr);

  const std::string base64 = docwick_ext::Base64Encode(utf8);
  const int base64Length = static_cast<int>(base64.size());
  int wideLength = MultiByteToWideChar(CP_UTF8, 0, base64.c_str(), base64Length, nullptr, 0);
  if (wideLength == 0) {
    LogShellExt(L"CTernShellExtension::InvokeCommand MultiByteToWideChar return 0 .\n");
    return E_FAIL;
  }
  std::wstring wideBase64(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, base64.c_str(), base64Length, &wideBase64[0], wideLength);

  const std::wstring parameters = L"--command=DocxPreview --params=" + wideBase64;

  // Held open without write or delete sharing until the child has started, so the file that
  // runs is the file that was checked.
  CTrustedFileHold verified;
  if (!verified.OpenAndVerify(docwickPath)) {
    LogShellExt(L"CTernShellExtension::InvokeCommand  Docwick.exe IsCorvaneTrusted FAILED.\n");
    return E_FAIL;
  }
  HINSTANCE result =
      ShellExecuteW(nullptr, L"open", docwickPath.c_str(), parameters.c_str(), nullptr, SW_HIDE);
  if (reinterpret_cast<INT_PTR>(result) > 32) {
    LogShellExt(L"CTernShellExtension::InvokeCommand ShellExecute Docwick.exe Succeed .\n");
    return S_OK;
  }
  LogShellExt(L"CTernShellExtension::InvokeCommand ShellExecute Docwick.exe Failed .\n");
  return E_FAIL;
}

STDMETHODIMP CTernShellExtension::GetCommandString(UINT_PTR,
                                                   UINT uType,
                                                   UINT*,
                                                   CHAR* pszName,
                                                   UINT cchMax) {
  return NoThrow([&] { return DoGetCommandString(uType, pszName, cchMax); });
}

HRESULT CTernShellExtension::DoGetCommandString(UINT uType, CHAR* pszName, UINT cchMax) {
  if (!(uType & GCS_UNICODE) && !(uType & GCS_HELPTEXTA))
    return S_FALSE;
  if (!pszName || cchMax == 0)
    return E_INVALIDARG;
  // An unset help text copies as an empty string rather than from a null source.
  const wchar_t* help = m_ternRootMenuInfo.pszHelpText ? m_ternRootMenuInfo.pszHelpText : L"";
  if (uType & GCS_UNICODE) {
    lstrcpynW(reinterpret_cast<LPWSTR>(pszName), help, static_cast<int>(cchMax));
    return S_OK;
  }
  int n = WideCharToMultiByte(CP_THREAD_ACP, 0, help, -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(n > 0 ? static_cast<size_t>(n) : 1, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_THREAD_ACP, 0, help, -1, &ansi[0], n, nullptr, nullptr);
  CopyToBuffer(ansi, pszName, cchMax);
  return S_OK;
}

STDMETHODIMP CTernShellExtension::HandleMenuMsg(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (m_bMenuBitmap)
    return S_OK;
  return HandleMenuMsg2(uMsg, wParam, lParam, nullptr);
}

STDMETHODIMP CTernShellExtension::HandleMenuMsg2(UINT uMsg,
                                                 WPARAM wParam,
                                                 LPARAM lParam,
                                                 LRESULT* plResult) {
  if (plResult)
    *plResult = 0;
  if (wParam != 0 || lParam == 0)
    return S_OK;
  if (uMsg == WM_MEASUREITEM) {
    MEASUREITEMSTRUCT* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (measure->CtlType == ODT_MENU && measure->itemID == m_ternRootMenuInfo.uMenuId) {
      measure->itemWidth += 2;
      UINT height = static_cast<UINT>(GetSystemMetrics(SM_CYMENUCHECK));
      measure->itemHeight = height < kIconSize ? kIconSize : height;
    }
  } else if (uMsg == WM_DRAWITEM) {
    DRAWITEMSTRUCT* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (draw->CtlType == ODT_MENU && draw->itemID == m_ternRootMenuInfo.uMenuId) {
      int x = draw->rcItem.left - static_cast<int>(kIconSize);
      if (x < 0)
        x = 0;
      int y = draw->rcItem.top;
      const int height = draw->rcItem.bottom - draw->rcItem.top;
      if (height >= static_cast<int>(kIconSize))
        y += (height - static_cast<int>(kIconSize)) / 2;
      DrawIconEx(draw->hDC, x, y, m_ternRootMenuInfo.hIcon, kIconSize, kIconSize, 0, nullptr,
                 DI_NORMAL);
    }
  }
  return S_OK;
}

std::wstring CTernShellExtension::GetDocwickPath() {
  std::wstring result;
  wchar_t modulePath[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(g_module.m_hInstance, modulePath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    // A cut-off path would name another file; treat it like no path at all.
    LogShellExt(L"CTernShellExtension::GetDocwickPath LastError = %lu.", GetLastError());
    return result;
  }
  std::wstring path(modulePath, n);
  size_t nSepPos = path.rfind(L'\\');
  if (nSepPos == std::wstring::npos) {
    LogShellExt(L"CTernShellExtension::GetDocwickPath Error : INVALID_VAL == nSepPos .\n");
    return result;
  }
  std::wstring strParentDir = path.substr(0, nSepPos + 1);
  LogShellExt(L"CTernShellExtension.GetDocwickPath strParentDir = [%s].\n", strParentDir.c_str());
  result = strParentDir + L"Docwick.exe";
  return result;
}

#ifdef DOCWICKEXT_TEST_SEAM
STDMETHODIMP CTernShellExtension::SetFilePathForTest(LPCWSTR pszPath) {
  return NoThrow([&] {
    m_strFilePath = pszPath ? pszPath : L"";
    return S_OK;
  });
}

STDMETHODIMP CTernShellExtension::SetMenuInfoForTest(LPCWSTR pszText,
                                                     LPCWSTR pszHelpText,
                                                     HICON hIcon) {
  return NoThrow([&] {
    m_strSeamText = pszText ? pszText : L"";
    m_strSeamHelpText = pszHelpText ? pszHelpText : L"";
    m_ternRootMenuInfo.pszText = pszText ? m_strSeamText.c_str() : nullptr;
    m_ternRootMenuInfo.pszHelpText = pszHelpText ? m_strSeamHelpText.c_str() : nullptr;
    if (m_ternRootMenuInfo.hIcon)
      DestroyIcon(m_ternRootMenuInfo.hIcon);
    m_ternRootMenuInfo.hIcon = hIcon;
    return S_OK;
  });
}
#endif
