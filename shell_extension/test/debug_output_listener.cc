#include "debug_output_listener.h"

#include <windows.h>

namespace docwickext_test {

namespace {

const DWORD kPrintException = 0x40010006;      // DBG_PRINTEXCEPTION_C
const DWORD kPrintExceptionWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C

CRITICAL_SECTION g_lock;
std::vector<std::wstring>* g_lines = nullptr;
PVOID g_handler = nullptr;

LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if ((record->ExceptionCode != kPrintException && record->ExceptionCode != kPrintExceptionWide) ||
      record->NumberParameters < 2)
    return EXCEPTION_CONTINUE_SEARCH;
  std::wstring line;
  if (record->ExceptionCode == kPrintExceptionWide) {
    line = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
  } else {
    const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n > 0) {
      line.resize(n);
      MultiByteToWideChar(CP_ACP, 0, text, -1, &line[0], n);
      line.resize(n - 1);
    }
  }
  EnterCriticalSection(&g_lock);
  if (g_lines)
    g_lines->push_back(line);
  LeaveCriticalSection(&g_lock);
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

DebugOutputListener::DebugOutputListener() {
  InitializeCriticalSection(&g_lock);
  g_lines = new std::vector<std::wstring>();
  g_handler = AddVectoredExceptionHandler(1, OnException);
}

DebugOutputListener::~DebugOutputListener() {
  RemoveVectoredExceptionHandler(g_handler);
  EnterCriticalSection(&g_lock);
  delete g_lines;
  g_lines = nullptr;
  LeaveCriticalSection(&g_lock);
  DeleteCriticalSection(&g_lock);
}

std::vector<std::wstring> DebugOutputListener::Lines() const {
  EnterCriticalSection(&g_lock);
  std::vector<std::wstring> copy = *g_lines;
  LeaveCriticalSection(&g_lock);
  return copy;
}

void DebugOutputListener::Clear() {
  EnterCriticalSection(&g_lock);
  g_lines->clear();
  LeaveCriticalSection(&g_lock);
}

bool DebugOutputListener::Contains(const std::wstring& text) const {
  for (const std::wstring& line : Lines()) {
    if (line.find(text) != std::wstring::npos)
      return true;
  }
  return false;
}

}  // namespace docwickext_test
