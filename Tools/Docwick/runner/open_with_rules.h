// The registry texts of the Open-With entry and the rules of Explorer's per-extension
// OpenWithList (letter values "a" to "j" and their most-recent-first "MRUList").
// Registry text is UTF-16; here it is held as char16_t so the rules build everywhere.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace docwick {

// "@<path>,-130": Explorer shows string resource 130 of the program.
std::wstring OpenWithFriendlyAppName(const std::wstring& exe_path);

// "<path>" --command=OpenWithListDocxPreview "--params=%1": the whole params switch, file
// path included, stays one command-line element.
std::wstring OpenWithCommandTemplate(const std::wstring& exe_path);

// Registry value types the list accepts as text.
const uint32_t kRegTypeSz = 1;
const uint32_t kRegTypeExpandSz = 2;

// The old "MRUList" from its raw data: accepted when text-typed and empty or an even number of
// bytes ending in a NUL character; the list is the text before the first NUL.
bool ParseMruList(uint32_t type, const unsigned char* data, size_t size, std::u16string* list);

// True when a letter value names this program ("docwick.exe" in any case). Only the `size`
// bytes read count: the data need not be NUL-terminated.
bool NamesDocwick(uint32_t type, const unsigned char* data, size_t size);

// What one letter value held.
enum class LetterSlot { kMissing, kDocwick, kOther };

// Walks "j" down to "a": the first letter holding this program wins; otherwise the lowest
// missing letter; "j" when all ten hold other programs. `slots[0]` is "a".
char16_t ChooseOpenWithLetter(const LetterSlot (&slots)[10]);

// `letter` first, then the old list in order without that letter; upper-case "A" to "J" in
// the old list count as their lower-case letters.
std::u16string NewMruList(char16_t letter, const std::u16string& old_list);

}  // namespace docwick
