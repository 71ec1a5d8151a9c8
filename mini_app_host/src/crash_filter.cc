#include "crash_filter.h"

#include <cstdio>
#include <cstring>

namespace ternapp {

namespace {

alignas(16) CrashInfoBlock g_crash_info_block;
CRITICAL_SECTION g_crash_lock;
bool g_crash_lock_ready = false;
volatile LONG g_crash_in_progress = 0;
CrashHook g_before = nullptr;
CrashHook g_after = nullptr;

#ifdef _WIN64
// xor eax, eax; ret (the argument travels in a register).
const unsigned char kPatch[5] = {0x33, 0xC0, 0xC3, 0x90, 0x90};
#else
// xor eax, eax; ret 4: returns null and removes the one stack argument.
const unsigned char kPatch[5] = {0x33, 0xC0, 0xC2, 0x04, 0x00};
#endif

void PutWord(size_t offset, DWORD value) {
  std::memcpy(g_crash_info_block.bytes + offset, &value, sizeof(value));
}

void PutPointer(size_t offset, const void* value) {
  // The 32-bit layout has four bytes for each address.
  DWORD truncated = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(value));
  std::memcpy(g_crash_info_block.bytes + offset, &truncated, sizeof(truncated));
}

// GCC misreads the segment-register read inside NtCurrentTeb as an out-of-bounds access.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
void* CurrentTeb() {
  return NtCurrentTeb();
}
#pragma GCC diagnostic pop

}  // namespace

void InitCrashHandling() {
  if (g_crash_lock_ready)
    return;
  InitializeCriticalSection(&g_crash_lock);
  g_crash_lock_ready = true;
}

void SetCrashHooks(CrashHook before, CrashHook after) {
  g_before = before;
  g_after = after;
}

void armCrashFilter() {
  InitCrashHandling();
  SetUnhandledExceptionFilter(crashFilter);
  void* target = reinterpret_cast<void*>(&SetUnhandledExceptionFilter);
  SIZE_T written = 0;
  WriteProcessMemory(GetCurrentProcess(), target, kPatch, sizeof(kPatch), &written);
  SetUnhandledExceptionFilter(nullptr);
}

void FormatReporterCommandLine(HANDLE event,
                               HANDLE process,
                               const void* block,
                               DWORD process_id,
                               wchar_t* out,
                               size_t out_chars) {
  if (!out || out_chars == 0)
    return;
  size_t limit = out_chars < 200 ? out_chars : 200;
  char narrow[200];
  // "bugreport /buginfo:%p:%p:%p:%lu" as the system C library prints %p (upper-case, full
  // pointer width); mingw's own printf would print lower-case.
  const int width = static_cast<int>(sizeof(void*) * 2);
  auto bits = [](const void* p) {
    return static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(p));
  };
  std::snprintf(narrow, limit, "bugreport /buginfo:%0*llX:%0*llX:%0*llX:%lu", width, bits(event),
                width, bits(process), width, bits(block), static_cast<unsigned long>(process_id));
  size_t i = 0;
  for (; narrow[i] && i + 1 < limit; ++i)
    out[i] = static_cast<wchar_t>(static_cast<unsigned char>(narrow[i]));
  out[i] = L'\0';
}

LONG WINAPI crashFilter(EXCEPTION_POINTERS* pointers) {
  EnterCriticalSection(&g_crash_lock);
  if (g_crash_in_progress)
    return EXCEPTION_CONTINUE_SEARCH;
  g_crash_in_progress = 1;

  PutPointer(kCrashTebOffset, CurrentTeb());
  PutPointer(kCrashPointersOffset, pointers);
  if (pointers && pointers->ExceptionRecord)
    std::memcpy(g_crash_info_block.bytes + kCrashRecordCopyOffset, pointers->ExceptionRecord,
                kCrashExceptionRecordBytes);
  if (pointers && pointers->ContextRecord)
    std::memcpy(g_crash_info_block.bytes + kCrashContextCopyOffset, pointers->ContextRecord,
                kCrashContextBytes);
  PutWord(kCrashZeroWordOffset, 0);
  PutWord(kCrashThreadIdOffset, GetCurrentThreadId());

  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  HANDLE event = CreateEventW(&inheritable, TRUE, FALSE, nullptr);

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;

  wchar_t reporter[MAX_PATH] = {};
  DWORD found = SearchPathW(nullptr, L"bugreport.exe", nullptr, MAX_PATH, reporter, nullptr);

  HANDLE process = nullptr;
  BOOL duplicated = DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(),
                                    &process, 0, TRUE, DUPLICATE_SAME_ACCESS);

  if (g_before)
    g_before();

  if (duplicated && event && found > 0 && found < MAX_PATH) {
    wchar_t command_line[200];
    FormatReporterCommandLine(event, process, &g_crash_info_block, GetCurrentProcessId(),
                              command_line, 200);
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(reporter, command_line, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &info)) {
      CloseHandle(info.hProcess);
      CloseHandle(info.hThread);
      WaitForSingleObject(event, INFINITE);
    }
  }
  if (event)
    CloseHandle(event);
  if (g_after)
    g_after();
  TerminateProcess(GetCurrentProcess(), kCrashExitCode);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace ternapp
