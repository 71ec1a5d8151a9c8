// The service's COM objects. Every object counts towards the server's life: when the last one
// goes, the server stops.
#pragma once

#include <windows.h>

#include <string>

namespace client_enum {

struct ServerOptions {
  std::wstring entries_path;  // read again for every new enumerator
  std::wstring record_path;   // each call appends a line; empty: nothing is recorded
};

// Set once before the class factory is registered.
void SetServerOptions(const ServerOptions& options);
// Appends `line` to the record file.
void Record(const std::wstring& line);
// Signalled when the last object of the server is released.
HANDLE NoObjectsLeftEvent();

// The class factory of the enumeration service (not counted).
IClassFactory* ServiceFactory();

}  // namespace client_enum
