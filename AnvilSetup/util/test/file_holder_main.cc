// Test helper: holds the file named on its command line open for reading and writing without
// delete sharing until it is terminated.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2)
    return 2;
  HANDLE file =
      CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 1;
  Sleep(INFINITE);
  return 0;
}
