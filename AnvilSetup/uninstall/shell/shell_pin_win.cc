#include "uninstall/shell/shell_pin_win.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "base/scoped_com_initializer.h"
#include "base/scoped_com_ptr_win.h"
#include "uninstall/shell/start_menu_pin_list.h"

namespace uninstall {

namespace {

const IID kIShellItem = {0x43826d1e,
                         0xe718,
                         0x42ee,
                         {0xbc, 0x55, 0xa1, 0xe2, 0x61, 0xc3, 0x7b, 0xfe}};
const CLSID kShellLink = {0x00021401,
                          0x0000,
                          0x0000,
                          {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

using CreateItemFunction = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);

}  // namespace

long UnpinShellItem(const std::wstring& shortcut_path) {
  base::ScopedCOMInitializer apartment;
  // Missing before Vista, so it is looked up rather than imported.
  HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
  if (!shell32)
    shell32 = LoadLibraryW(L"shell32.dll");
  auto create_item = shell32 ? reinterpret_cast<CreateItemFunction>(reinterpret_cast<void*>(
                                   GetProcAddress(shell32, "SHCreateItemFromParsingName")))
                             : nullptr;
  if (!create_item)
    return E_NOTIMPL;
  base::ScopedComPtr<IUnknown> item;
  HRESULT hr = create_item(shortcut_path.c_str(), nullptr, kIShellItem, item.ReceiveVoid());
  if (FAILED(hr))
    return hr;
  base::ScopedComPtr<IStartMenuPinnedListLocal> pin_list;
  hr = CoCreateInstance(kStartMenuPin, nullptr, CLSCTX_INPROC_SERVER, kIStartMenuPinnedList,
                        pin_list.ReceiveVoid());
  if (FAILED(hr))
    return hr;
  return pin_list->RemoveFromList(item.get());
}

bool ResolveShortcutTarget(const std::wstring& shortcut_path, std::wstring* target) {
  base::ScopedCOMInitializer apartment;
  base::ScopedComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.ReceiveVoid()))) {
    return false;
  }
  base::ScopedComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid())) ||
      FAILED(file->Load(shortcut_path.c_str(), STGM_READ)) ||
      FAILED(link->Resolve(nullptr, SLR_NO_UI | SLR_NOUPDATE))) {
    return false;
  }
  wchar_t path[MAX_PATH] = {};
  if (FAILED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)) || path[0] == L'\0')
    return false;
  target->assign(path);
  return true;
}

}  // namespace uninstall
