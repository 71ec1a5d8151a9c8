// Debugger-output logging of the extension: "[PelicanShellExt][5.0][0x<module>], <message>".
#pragma once

// `format` follows the wide printf conventions of the C runtime (%s takes a wide string).
// Never allocates; an over-long message is cut.
void LogShellExt(const wchar_t* format, ...);
