// libFuzzer target: the host's command-line values and the size rules never misbehave.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "command_line_value.h"
#include "input_event.h"
#include "view_geometry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string storage = ternapp::GetCommandLineValue(text, "storage=");
  ternapp::ParseGroupId(ternapp::GetCommandLineValue(text, "groupid="));
  if (storage.size() > text.size())
    __builtin_trap();
  if (size >= 24) {
    int32_t v[6];
    std::memcpy(v, data, sizeof(v));
    double scale = static_cast<double>(v[5] & 0xFFFF) / 256.0;
    ternapp::ComputeClientResize(v[0], v[1], v[2], v[3], v[4]);
    ternapp::ComputeEngineResize(v[0], v[1], v[2], v[3], scale, v[4]);
    ternapp::ScaleRect({v[0], v[1], v[2], v[3]}, scale);
    ternapp::MapInputEvent(static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1]), v[2]);
  }
  return 0;
}
