// Taking a shortcut off the taskbar and start-menu pin lists, and reading a shortcut's
// target.
#pragma once

#include <string>

namespace uninstall {

// Asks the start-menu pin list object to remove the item; the last HRESULT. Initialises
// COM (apartment-threaded) for the call itself.
long UnpinShellItem(const std::wstring& shortcut_path);

// The target of a shortcut file, resolved without user interface; false when any step
// fails.
bool ResolveShortcutTarget(const std::wstring& shortcut_path, std::wstring* target);

}  // namespace uninstall
