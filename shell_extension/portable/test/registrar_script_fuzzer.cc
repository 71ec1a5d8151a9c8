// libFuzzer target: the registrar-script parser must reject or accept any input without a fault.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "registrar_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  docwick_ext::RegScript script;
  std::string error;
  docwick_ext::ParseRegistrarScript(std::string(reinterpret_cast<const char*>(data), size),
                                    {{"MODULE", "C:\\m.dll"}, {"APPID", "{A}"}}, &script, &error);
  return 0;
}
