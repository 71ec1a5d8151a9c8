#include "log.h"

#include <stdarg.h>
#include <stdio.h>
#include <windows.h>

#include "module.h"

void LogShellExt(const wchar_t* format, ...) {
  wchar_t message[1024];
  va_list args;
  va_start(args, format);
  int n = _vsnwprintf(message, 1023, format, args);
  va_end(args);
  message[n < 0 ? 1023 : n] = L'\0';

  wchar_t line[1100];
  // In the 64-bit build %x shows the low 32 bits of the module handle.
  unsigned module = static_cast<unsigned>(reinterpret_cast<UINT_PTR>(g_module.m_hInstance));
  n = _snwprintf(line, 1099, L"[PelicanShellExt][5.0][0x%x], %s", module, message);
  line[n < 0 ? 1099 : n] = L'\0';
  OutputDebugStringW(line);
}
