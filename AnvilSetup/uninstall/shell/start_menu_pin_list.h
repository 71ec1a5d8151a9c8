// The shell's start-menu pin list object, declared here: the headers offer it only for newer
// Windows targets than ours. The stand-in of the tests implements this same declaration.
#pragma once

#include <windows.h>

#include <objbase.h>

// Outside any anonymous namespace, or the compiler, seeing no implementation, devirtualises
// the call.
struct IStartMenuPinnedListLocal : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE RemoveFromList(IUnknown* shell_item) = 0;
};

const CLSID kStartMenuPin = {0xa2a9545d,
                             0xa0c2,
                             0x42b4,
                             {0x97, 0x08, 0xa0, 0xb2, 0xba, 0xdd, 0x77, 0xc8}};
const IID kIStartMenuPinnedList = {0x4cd19ada,
                                   0x25a5,
                                   0x4a32,
                                   {0xb3, 0xb7, 0x34, 0x7b, 0xee, 0x5b, 0xe3, 0x6b}};
