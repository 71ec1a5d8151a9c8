// The machine facts the result report carries.
#pragma once

#include <string>

namespace uninstall {

// Operating system field: "601" for Windows 7 and so on; empty when unreadable.
std::string ReadOsVersionField();
// msi.dll's version in the system folder as major.minor.build; empty when unreadable.
std::string ReadMsiVersionField();
// The text in the system's ANSI code page (unrepresentable characters replaced).
std::string ToAnsi(const std::wstring& text);

}  // namespace uninstall
