// The client entries the server lists, read from a UTF-8 file that the test writes, one entry a
// line:
//   dispatch UUin=ui4:123 Version=ui4:5557   value is an IDispatch with these properties
//   empty                                      value is an empty VARIANT
//   fail                                       asking for this entry fails
// Property types: i4, ui4, ui8, bstr. A property that is not listed cannot be read.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace client_enum {

struct PropertyValue {
  VARTYPE type = VT_EMPTY;
  std::wstring text;  // the value as written; converted when asked for
};

struct Entry {
  enum Kind { kDispatch, kEmpty, kFail } kind = kEmpty;
  std::map<std::wstring, PropertyValue> properties;
};

// Lines that cannot be read are skipped.
std::vector<Entry> ReadEntries(const std::wstring& path);

// Fills `out` (already VariantInit'ed) from `value`; false when the type is unknown.
bool ToVariant(const PropertyValue& value, VARIANT* out);

}  // namespace client_enum
