// How a client input event (code, wParam, lParam) maps onto a container entry and its
// arguments. The container is always the first argument and is not listed here.
#pragma once

#include <cstdint>

namespace ternapp {

enum class InputArgs {
  kNone,              // entry not called
  kContainerOnly,     // entries 5, 6
  kPointButtonParam,  // entries 0, 2, 3: x, y, button, wParam
  kPointParam,        // entry 4: x, y, wParam
  kPointWheel,        // entry 7: x, y, low word of wParam (unsigned), high word (signed)
  kKey,               // entries 8, 9: wParam, low and high words of lParam (both unsigned)
};

struct InputCall {
  bool handled = false;  // what the view reports to the channel
  int entry = -1;        // container table index, -1 when none is called
  InputArgs args = InputArgs::kNone;
  int x = 0;  // signed low word of lParam
  int y = 0;  // signed high word of lParam
  int button = 0;
  uint32_t wparam = 0;
  uint32_t low_word = 0;
  int32_t high_word = 0;  // signed for the wheel, unsigned for keys
};

InputCall MapInputEvent(uint32_t code, uint32_t wparam, int32_t lparam);

}  // namespace ternapp
