#include <windows.h>

#include "app/entry.h"

extern "C" int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  return docwick::RunDocwick(command_line);
}
