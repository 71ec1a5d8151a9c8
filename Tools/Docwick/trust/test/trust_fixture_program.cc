// Exits with the code given as its first argument (0 without one); tests sign and start it.
#include <stdlib.h>

int wmain(int argc, wchar_t** argv) {
  return argc > 1 ? _wtoi(argv[1]) : 0;
}
