// Test peer: a process that stands for a running client (or for warden.exe) until the
// test ends it. Its version resource decides whether it counts as the maker's client.
// Ends by itself after two minutes so that a failed test leaves nothing behind.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
  Sleep(120000);
  return 0;
}
