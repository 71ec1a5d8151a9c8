// Crash hand-off: an unhandled exception is copied into a block the reporter reads out of this
// process, bugreport.exe is started with handles to do so, and the process ends with 4660.
#pragma once

#include <windows.h>

#include <cstddef>

namespace ternapp {

constexpr UINT kCrashExitCode = 4660;

// Offsets of the block that the reporter reads.
constexpr size_t kCrashThreadIdOffset = 0x18;
constexpr size_t kCrashTebOffset = 0x20;
constexpr size_t kCrashExceptionRecordOffset = 0x30;
constexpr size_t kCrashContextOffset = 0x80;
constexpr size_t kCrashPointersOffset = 0x34C;
constexpr size_t kCrashZeroWordOffset = 0x5F4;
#ifdef _WIN64
// The 64-bit verification build keeps the 32-bit offsets of the small fields and places the
// larger native records after them.
constexpr size_t kCrashRecordCopyOffset = 0x600;
constexpr size_t kCrashContextCopyOffset = 0x600 + sizeof(EXCEPTION_RECORD);
constexpr size_t kCrashExceptionRecordBytes = sizeof(EXCEPTION_RECORD);
constexpr size_t kCrashContextBytes = sizeof(CONTEXT);
constexpr size_t kCrashInfoBlockBytes = 0x600 + sizeof(EXCEPTION_RECORD) + sizeof(CONTEXT);
#else
constexpr size_t kCrashRecordCopyOffset = kCrashExceptionRecordOffset;
constexpr size_t kCrashContextCopyOffset = kCrashContextOffset;
constexpr size_t kCrashExceptionRecordBytes = 80;
constexpr size_t kCrashContextBytes = 716;
constexpr size_t kCrashInfoBlockBytes = 1528;
static_assert(sizeof(EXCEPTION_RECORD) == 80 && sizeof(CONTEXT) == 716, "x86 layouts");
#endif

// The block the reporter reads out of this process (fields at the offsets above).
struct CrashInfoBlock {
  unsigned char bytes[kCrashInfoBlockBytes];
};

// Must run before the filter is first armed (the message loop calls it at start-up).
void InitCrashHandling();
// Installs crashFilter and patches SetUnhandledExceptionFilter so nothing replaces it.
void armCrashFilter();
LONG WINAPI crashFilter(EXCEPTION_POINTERS* pointers);

// Optional hooks around the reporter's run; both unset unless a caller sets them.
using CrashHook = void (*)();
void SetCrashHooks(CrashHook before, CrashHook after);

// Formats "bugreport /buginfo:%p:%p:%p:%lu" into at most 200 characters.
void FormatReporterCommandLine(HANDLE event,
                               HANDLE process,
                               const void* block,
                               DWORD process_id,
                               wchar_t* out,
                               size_t out_chars);

}  // namespace ternapp
