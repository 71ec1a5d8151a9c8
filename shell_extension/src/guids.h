// Identifiers of the extension, defined here so no IDL-generated header is needed.
#pragma once

#include <windows.h>

extern const CLSID CLSID_TernShellExtension;
extern const IID IID_ITernShellExtension;
extern const GUID LIBID_DocwickExtLib;

// The automation interface: dual, no methods of its own (see res/DocwickExt.idl).
struct ITernShellExtension : public IDispatch {};
