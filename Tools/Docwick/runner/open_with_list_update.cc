#include "runner/open_with_list_update.h"

#include <string>

#include "runner/open_with_rules.h"
#include "runner/scoped_reg_key.h"

namespace docwick {

namespace {

const wchar_t kFileExtsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
const wchar_t kProgramName[] = L"Docwick.exe";
const DWORD kReadBufferBytes = 520;

struct ReadValue {
  LONG result;
  DWORD type;
  DWORD size;
  BYTE data[kReadBufferBytes];
};

// One read into the fixed buffer; only `size` bytes of `data` are meaningful.
void Read(HKEY key, const wchar_t* name, ReadValue* value) {
  value->type = REG_NONE;
  value->size = kReadBufferBytes;
  value->result = RegQueryValueExW(key, name, nullptr, &value->type, value->data, &value->size);
}

std::wstring ToWide(const std::u16string& text) {
  return std::wstring(text.begin(), text.end());
}

}  // namespace

void UpdateOpenWithList(HKEY current_user, const wchar_t* extension) {
  CScopedRegKey key;
  if (key.Create(current_user, std::wstring(kFileExtsKey) + extension + L"\\OpenWithList") !=
      ERROR_SUCCESS)
    return;

  ReadValue value;
  std::u16string oldList;
  Read(key.get(), L"MRUList", &value);
  if (value.result == ERROR_SUCCESS) {
    if (!ParseMruList(value.type, value.data, value.size, &oldList))
      return;
  } else if (value.result != ERROR_FILE_NOT_FOUND) {
    return;
  }

  LetterSlot slots[10];
  for (int i = 9; i >= 0; --i) {
    const wchar_t name[2] = {static_cast<wchar_t>(L'a' + i), L'\0'};
    Read(key.get(), name, &value);
    if (value.result == ERROR_FILE_NOT_FOUND)
      slots[i] = LetterSlot::kMissing;
    else if (value.result == ERROR_SUCCESS && NamesDocwick(value.type, value.data, value.size))
      slots[i] = LetterSlot::kDocwick;
    else
      slots[i] = LetterSlot::kOther;
  }
  const char16_t letter = ChooseOpenWithLetter(slots);

  const wchar_t letterName[2] = {static_cast<wchar_t>(letter), L'\0'};
  if (key.SetString(letterName, kProgramName) != ERROR_SUCCESS)
    return;
  key.SetString(L"MRUList", ToWide(NewMruList(letter, oldList)));
}

}  // namespace docwick
