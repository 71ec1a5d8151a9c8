// The Windows version the system reports to this process.
#pragma once

namespace uninstall {

// 0 when it cannot be read.
unsigned long WindowsMajorVersion();

}  // namespace uninstall
