#include "entries.h"

#include <sstream>

namespace client_enum {

namespace {

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty())
    return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

std::string ReadFileText(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return std::string();
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got)
    bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool ReadProperty(const std::wstring& token, std::wstring* name, PropertyValue* value) {
  size_t eq = token.find(L'=');
  size_t colon = token.find(L':', eq == std::wstring::npos ? 0 : eq);
  if (eq == std::wstring::npos || colon == std::wstring::npos)
    return false;
  *name = token.substr(0, eq);
  std::wstring type = token.substr(eq + 1, colon - eq - 1);
  value->text = token.substr(colon + 1);
  if (type == L"i4")
    value->type = VT_I4;
  else if (type == L"ui4")
    value->type = VT_UI4;
  else if (type == L"ui8")
    value->type = VT_UI8;
  else if (type == L"bstr")
    value->type = VT_BSTR;
  else
    return false;
  return true;
}

}  // namespace

std::vector<Entry> ReadEntries(const std::wstring& path) {
  std::vector<Entry> entries;
  std::wistringstream lines(Widen(ReadFileText(path)));
  std::wstring line;
  while (std::getline(lines, line)) {
    std::wistringstream tokens(line);
    std::wstring kind;
    if (!(tokens >> kind))
      continue;
    Entry entry;
    if (kind == L"dispatch")
      entry.kind = Entry::kDispatch;
    else if (kind == L"empty")
      entry.kind = Entry::kEmpty;
    else if (kind == L"fail")
      entry.kind = Entry::kFail;
    else
      continue;
    std::wstring token;
    while (tokens >> token) {
      std::wstring name;
      PropertyValue value;
      if (ReadProperty(token, &name, &value))
        entry.properties[name] = value;
    }
    entries.push_back(entry);
  }
  return entries;
}

bool ToVariant(const PropertyValue& value, VARIANT* out) {
  switch (value.type) {
    case VT_I4:
      out->vt = VT_I4;
      out->lVal = static_cast<LONG>(_wtoi64(value.text.c_str()));
      return true;
    case VT_UI4:
      out->vt = VT_UI4;
      out->ulVal = static_cast<ULONG>(_wcstoui64(value.text.c_str(), nullptr, 10));
      return true;
    case VT_UI8:
      out->vt = VT_UI8;
      out->ullVal = _wcstoui64(value.text.c_str(), nullptr, 10);
      return true;
    case VT_BSTR:
      out->vt = VT_BSTR;
      out->bstrVal = SysAllocString(value.text.c_str());
      return out->bstrVal != nullptr;
    default:
      return false;
  }
}

}  // namespace client_enum
