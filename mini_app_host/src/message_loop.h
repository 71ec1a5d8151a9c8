// The host's one message loop; re-arms the crash filter whenever the queue runs empty.
#pragma once

namespace ternapp {

// Returns when WM_QUIT arrives.
void RunMessageLoop();

}  // namespace ternapp
