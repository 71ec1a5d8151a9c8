// The registrar-script format of the extension's REGISTRY resources, parsed into a key tree.
//
//   HKCR
//   {
//     NoRemove CLSID
//     {
//       ForceRemove '{C6D2E2BC-...}' = s 'TernShellExtension Class'
//       {
//         InprocServer32 = s '%MODULE%' { val ThreadingModel = s 'Apartment' }
//       }
//     }
//   }
//
// A root (HKCR, HKCU, HKLM, HKU or their HKEY_ names) holds keys. A key is an optional flag
// (NoRemove: never deleted; ForceRemove: its old subtree is deleted before it is written), a
// name, an optional default value and an optional block of subkeys and `val` entries.
// Values are `s 'text'` or `d <number>` (decimal or 0x hex, 32 bits). Names and texts are bare
// words, braced words such as {C6D2E2BC-...} (a brace directly followed by a word character), or
// single-quoted ('' stands for one quote). %NAME% is replaced from the replacement
// table, %% is a single percent sign; an unknown replacement is an error.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

namespace docwick_ext {

enum class KeyFlag { kNormal, kNoRemove, kForceRemove };
enum class ValueType { kString, kDword };

struct RegValue {
  std::string name;  // empty for a key's default value
  ValueType type = ValueType::kString;
  std::string text;
  uint32_t number = 0;
};

struct RegKey {
  std::string name;
  KeyFlag flag = KeyFlag::kNormal;
  bool has_default = false;
  RegValue default_value;
  std::vector<RegValue> values;
  std::vector<RegKey> subkeys;
};

struct RegRoot {
  std::string name;  // canonical: HKCR, HKCU, HKLM or HKU
  std::vector<RegKey> keys;
};

struct RegScript {
  std::vector<RegRoot> roots;
};

// Parses UTF-8 `text`. On failure returns false and sets `error` to a message with the line.
bool ParseRegistrarScript(const std::string& text,
                          const std::map<std::string, std::string>& replacements,
                          RegScript* script,
                          std::string* error);

}  // namespace docwick_ext
