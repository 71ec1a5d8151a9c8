// Prints the time of one GetClientBasicInfo call to a stand-in client next to its floor: one
// bare WM_COPYDATA round trip between the same two processes, measured in the same run.
#include <windows.h>

#include <stdio.h>

#include "rpc/rpc.h"
#include "tests/client_peers.h"

namespace {

double Microseconds(LARGE_INTEGER start, LARGE_INTEGER end) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return (end.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart;
}

}  // namespace

int main() {
  const int kRounds = 500;
  docwick_test::ClientPeer client(L"--uin=123 --product=Tern --nickname=bench");
  if (!client.ok()) {
    fprintf(stderr, "the stand-in client did not start\n");
    return 1;
  }
  // Warm both paths before measuring.
  for (int i = 0; i < 20; ++i)
    docwick::Rpc::GetClientBasicInfo(client.hwnd());

  char byte = 0;
  COPYDATASTRUCT bare = {0, 1, &byte};  // a tag the client ignores: it answers at once
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kRounds; ++i) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(client.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&bare),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
  }
  QueryPerformanceCounter(&end);
  double floor_us = Microseconds(start, end) / kRounds;

  int failures = 0;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kRounds; ++i) {
    if (!docwick::Rpc::GetClientBasicInfo(client.hwnd()))
      ++failures;
  }
  QueryPerformanceCounter(&end);
  double call_us = Microseconds(start, end) / kRounds;

  printf("GetClientBasicInfo round trip: %8.1f us per call (%d rounds, %d failed)\n", call_us,
         kRounds, failures);
  printf("floor, bare WM_COPYDATA:       %8.1f us per call\n", floor_us);
  printf("ratio:                         %8.1fx\n", floor_us > 0 ? call_us / floor_us : 0.0);
  return failures ? 1 : 0;
}
