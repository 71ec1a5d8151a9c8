#include "input_event.h"

namespace ternapp {

namespace {

int SignedLow(uint32_t v) {
  return static_cast<int16_t>(v & 0xFFFF);
}
int SignedHigh(uint32_t v) {
  return static_cast<int16_t>((v >> 16) & 0xFFFF);
}

}  // namespace

InputCall MapInputEvent(uint32_t code, uint32_t wparam, int32_t lparam) {
  InputCall call;
  uint32_t l = static_cast<uint32_t>(lparam);
  call.x = SignedLow(l);
  call.y = SignedHigh(l);
  call.wparam = wparam;
  switch (code) {
    case 0x1001:
      call = {true, 0, InputArgs::kPointButtonParam, call.x, call.y, 1, wparam, 0, 0};
      break;
    case 0x1007:
    case 0x1009:
      call = {true, 2, InputArgs::kPointButtonParam, call.x, call.y, code == 0x1007 ? 1 : 2, wparam,
              0,    0};
      break;
    case 0x1008:
    case 0x100A:
      call = {true, 3, InputArgs::kPointButtonParam, call.x, call.y, code == 0x1008 ? 1 : 2, wparam,
              0,    0};
      break;
    case 0x1003:
      call = {true, 4, InputArgs::kPointParam, call.x, call.y, 0, wparam, 0, 0};
      break;
    case 0x1005:
      call = {true, 5, InputArgs::kContainerOnly, 0, 0, 0, 0, 0, 0};
      break;
    case 0x1006:
      call = {true, 6, InputArgs::kContainerOnly, 0, 0, 0, 0, 0, 0};
      break;
    case 0x1004:
      call = {true,
              7,
              InputArgs::kPointWheel,
              call.x,
              call.y,
              0,
              wparam,
              wparam & 0xFFFF,
              SignedHigh(wparam)};
      break;
    case 0x100B:
    case 0x100C:
      // Key events reach the container but are left to the channel's default handling.
      call = {false,      code == 0x100B ? 8 : 9,       InputArgs::kKey, 0, 0, 0, wparam,
              l & 0xFFFF, static_cast<int32_t>(l >> 16)};
      break;
    default:
      call = InputCall();
      break;
  }
  return call;
}

}  // namespace ternapp
