// Times the shell's call sequence on the context-menu handler (CoCreateInstance, Initialize,
// QueryContextMenu, Release) per call, next to its floor: CoCreateInstance and Release of an
// empty in-process object. Registers both servers in the prefix for the run and removes them.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <stdio.h>

#include <string>

#include "guids.h"

namespace {

// {3F9B2C61-8E4D-4A7B-B1C2-5D6E7F809A1B}, the class of EmptyInprocServer.dll.
const CLSID kEmptyClass = {0x3f9b2c61,
                           0x8e4d,
                           0x4a7b,
                           {0xb1, 0xc2, 0x5d, 0x6e, 0x7f, 0x80, 0x9a, 0x1b}};
const wchar_t kEmptyKey[] = L"CLSID\\{3F9B2C61-8E4D-4A7B-B1C2-5D6E7F809A1B}";
const int kCalls = 2000;

std::wstring ExeDir() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  return dir.substr(0, dir.rfind(L'\\'));
}

bool RegisterEmptyServer(const std::wstring& dll) {
  const std::wstring key = std::wstring(kEmptyKey) + L"\\InprocServer32";
  const DWORD bytes = static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t));
  return SHSetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, dll.c_str(), bytes) ==
             ERROR_SUCCESS &&
         SHSetValueW(HKEY_CLASSES_ROOT, key.c_str(), L"ThreadingModel", REG_SZ, L"Apartment",
                     sizeof(L"Apartment")) == ERROR_SUCCESS;
}

double Now() {
  static LARGE_INTEGER frequency = {};
  if (!frequency.QuadPart)
    QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool ShellSequence(HMENU menu) {
  IShellExtInit* init = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TernShellExtension, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IShellExtInit, reinterpret_cast<void**>(&init))))
    return false;
  init->Initialize(nullptr, nullptr, nullptr);
  IContextMenu* context = nullptr;
  bool ok = SUCCEEDED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&context)));
  if (ok) {
    ok = SUCCEEDED(context->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL));
    context->Release();
  }
  init->Release();
  // Leave the menu as the shell would find it for the next call.
  while (GetMenuItemCount(menu) > 0)
    DeleteMenu(menu, 0, MF_BYPOSITION);
  return ok;
}

bool EmptyCreate() {
  IUnknown* object = nullptr;
  if (FAILED(CoCreateInstance(kEmptyClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&object))))
    return false;
  object->Release();
  return true;
}

template <typename F>
double MicrosecondsPerCall(F call) {
  call();  // loads the DLL and warms the class caches
  const double start = Now();
  for (int i = 0; i < kCalls; ++i) {
    if (!call())
      return -1;
  }
  return (Now() - start) * 1e6 / kCalls;
}

}  // namespace

int wmain() {
  const std::wstring dir = ExeDir();
  HMODULE ext = LoadLibraryW((dir + L"\\" + DOCWICKEXT_DLL_NAME).c_str());
  auto reg = ext ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
                       reinterpret_cast<void*>(GetProcAddress(ext, "DllRegisterServer")))
                 : nullptr;
  auto unreg = ext ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
                         reinterpret_cast<void*>(GetProcAddress(ext, "DllUnregisterServer")))
                   : nullptr;
  if (!reg || !unreg || FAILED(reg()) || !RegisterEmptyServer(dir + L"\\EmptyInprocServer.dll")) {
    fwprintf(stderr, L"registration failed\n");
    return 1;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HMENU menu = CreatePopupMenu();
  const double shell = MicrosecondsPerCall([menu] { return ShellSequence(menu); });
  const double floor = MicrosecondsPerCall(EmptyCreate);
  DestroyMenu(menu);
  CoUninitialize();

  unreg();
  SHDeleteKeyW(HKEY_CLASSES_ROOT, kEmptyKey);
  FreeLibrary(ext);
  if (shell < 0 || floor < 0) {
    fwprintf(stderr, L"a call failed\n");
    return 1;
  }
  wprintf(L"%ls: %d calls\n", DOCWICKEXT_DLL_NAME, kCalls);
  wprintf(
      L"  shell sequence (CoCreateInstance, Initialize, QueryContextMenu, Release): %.2f us/call\n",
      shell);
  wprintf(
      L"  floor (CoCreateInstance + Release of an empty in-process object):         %.2f us/call\n",
      floor);
  return 0;
}
