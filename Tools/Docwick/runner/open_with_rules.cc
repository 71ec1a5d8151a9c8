#include "runner/open_with_rules.h"

namespace docwick {

namespace {

char16_t FoldListLetter(char16_t c) {
  return (c >= u'A' && c <= u'J') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

char16_t AsciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool IsTextType(uint32_t type) {
  return type == kRegTypeSz || type == kRegTypeExpandSz;
}

// UTF-16 little-endian, as the registry stores text; stops at the first NUL.
std::u16string TextOf(const unsigned char* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0)
      break;
    text.push_back(c);
  }
  return text;
}

}  // namespace

std::wstring OpenWithFriendlyAppName(const std::wstring& exe_path) {
  return L"@" + exe_path + L",-130";
}

std::wstring OpenWithCommandTemplate(const std::wstring& exe_path) {
  return L"\"" + exe_path + L"\" --command=OpenWithListDocxPreview \"--params=%1\"";
}

bool ParseMruList(uint32_t type, const unsigned char* data, size_t size, std::u16string* list) {
  if (!IsTextType(type))
    return false;
  if (size != 0 && (size % 2 != 0 || data[size - 1] != 0 || data[size - 2] != 0))
    return false;
  *list = TextOf(data, size);
  return true;
}

bool NamesDocwick(uint32_t type, const unsigned char* data, size_t size) {
  if (!IsTextType(type))
    return false;
  std::u16string text = TextOf(data, size);
  for (char16_t& c : text)
    c = AsciiLower(c);
  return text == u"docwick.exe";
}

char16_t ChooseOpenWithLetter(const LetterSlot (&slots)[10]) {
  char16_t chosen = u'j';
  for (int i = 9; i >= 0; --i) {
    char16_t letter = static_cast<char16_t>(u'a' + i);
    if (slots[i] == LetterSlot::kDocwick)
      return letter;
    if (slots[i] == LetterSlot::kMissing)
      chosen = letter;
  }
  return chosen;
}

std::u16string NewMruList(char16_t letter, const std::u16string& old_list) {
  std::u16string list(1, letter);
  for (char16_t c : old_list) {
    char16_t folded = FoldListLetter(c);
    if (folded != letter)
      list.push_back(folded);
  }
  return list;
}

}  // namespace docwick
