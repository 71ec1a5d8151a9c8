// Registers the service in the running program's registry view: the class with its local
// server command line, and the type library that makes the interfaces marshal.
#pragma once

#include <string>

namespace client_enum {

// `server_args` follow the program path on the registered command line.
bool RegisterServer(const std::wstring& server_args);
// Removes what RegisterServer wrote; true also when nothing was registered.
bool UnregisterServer();

}  // namespace client_enum
