#include "registrar_script.h"

#include <string.h>

namespace docwick_ext {

namespace {

// Deeper nesting than any registry script needs; keeps recursion bounded on hostile input.
const int kMaxDepth = 32;

enum class TokenKind { kWord, kQuoted, kOpen, kClose, kEquals, kEnd };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  int line = 1;
};

class Parser {
 public:
  Parser(const std::string& text, const std::map<std::string, std::string>& replacements)
      : text_(text), replacements_(replacements) {}

  bool Parse(RegScript* script, std::string* error) {
    if (!Next())
      return Fail(error);
    while (token_.kind != TokenKind::kEnd) {
      RegRoot root;
      if (!ParseRoot(&root))
        return Fail(error);
      script->roots.push_back(std::move(root));
    }
    return true;
  }

 private:
  bool Fail(std::string* error) {
    if (error)
      *error = "line " + std::to_string(token_.line) + ": " + message_;
    return false;
  }

  bool Error(const std::string& message) {
    if (message_.empty())
      message_ = message;
    return false;
  }

  static bool IsWordChar(char c) {
    return !(c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '{' || c == '}' || c == '=' ||
             c == '\'' || c == '\0');
  }

  // Replaces %NAME% in a word or quoted text.
  bool Substitute(const std::string& raw, std::string* out) {
    out->clear();
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != '%') {
        *out += raw[i];
        continue;
      }
      size_t end = raw.find('%', i + 1);
      if (end == std::string::npos)
        return Error("unterminated replacement");
      std::string name = raw.substr(i + 1, end - i - 1);
      if (name.empty()) {
        *out += '%';
      } else {
        auto it = replacements_.find(name);
        if (it == replacements_.end())
          return Error("unknown replacement %" + name + "%");
        *out += it->second;
      }
      i = end;
    }
    return true;
  }

  bool Next() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n')
        ++line_;
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
        ++pos_;
      else
        break;
    }
    token_ = Token();
    token_.line = line_;
    if (pos_ >= text_.size())
      return true;
    char c = text_[pos_];
    // A brace directly followed by a word character opens a braced name, such as a GUID.
    if (c == '{' && pos_ + 1 < text_.size() && IsWordChar(text_[pos_ + 1])) {
      size_t end = text_.find('}', pos_);
      if (end == std::string::npos)
        return Error("unterminated braced name");
      std::string raw = text_.substr(pos_, end + 1 - pos_);
      pos_ = end + 1;
      for (char r : raw) {
        if (!IsWordChar(r) && r != '{' && r != '}')
          return Error("blank inside a braced name");
      }
      token_.kind = TokenKind::kWord;
      return Substitute(raw, &token_.text);
    }
    if (c == '{' || c == '}' || c == '=') {
      token_.kind = c == '{' ? TokenKind::kOpen : c == '}' ? TokenKind::kClose : TokenKind::kEquals;
      ++pos_;
      return true;
    }
    if (c == '\0')
      return Error("NUL character in script");
    if (c == '\'') {
      std::string raw;
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size())
          return Error("unterminated quoted text");
        char q = text_[pos_++];
        if (q == '\n')
          ++line_;
        if (q == '\'') {
          if (pos_ < text_.size() && text_[pos_] == '\'') {
            raw += '\'';
            ++pos_;
            continue;
          }
          break;
        }
        raw += q;
      }
      token_.kind = TokenKind::kQuoted;
      return Substitute(raw, &token_.text);
    }
    size_t start = pos_;
    while (pos_ < text_.size() && IsWordChar(text_[pos_]))
      ++pos_;
    token_.kind = TokenKind::kWord;
    return Substitute(text_.substr(start, pos_ - start), &token_.text);
  }

  bool IsWord(const char* word) const {
    return token_.kind == TokenKind::kWord && token_.text == word;
  }

  bool Expect(TokenKind kind, const char* what) {
    if (token_.kind != kind)
      return Error(std::string("expected ") + what);
    return Next();
  }

  bool ParseRoot(RegRoot* root) {
    static const char* const kRoots[][2] = {{"HKCR", "HKCR"}, {"HKEY_CLASSES_ROOT", "HKCR"},
                                            {"HKCU", "HKCU"}, {"HKEY_CURRENT_USER", "HKCU"},
                                            {"HKLM", "HKLM"}, {"HKEY_LOCAL_MACHINE", "HKLM"},
                                            {"HKU", "HKU"},   {"HKEY_USERS", "HKU"}};
    if (token_.kind != TokenKind::kWord)
      return Error("expected a registry root");
    for (const auto& r : kRoots) {
      if (token_.text == r[0])
        root->name = r[1];
    }
    if (root->name.empty())
      return Error("unknown registry root " + token_.text);
    if (!Next() || !Expect(TokenKind::kOpen, "'{' after the root"))
      return false;
    while (token_.kind != TokenKind::kClose) {
      if (token_.kind == TokenKind::kEnd)
        return Error("missing '}'");
      RegKey key;
      if (!ParseKey(&key, 1))
        return false;
      root->keys.push_back(std::move(key));
    }
    return Next();
  }

  bool ParseName(std::string* name) {
    if (token_.kind != TokenKind::kWord && token_.kind != TokenKind::kQuoted)
      return Error("expected a name");
    *name = token_.text;
    return Next();
  }

  bool ParseValue(RegValue* value) {
    if (IsWord("s")) {
      value->type = ValueType::kString;
      if (!Next())
        return false;
      if (token_.kind != TokenKind::kQuoted && token_.kind != TokenKind::kWord)
        return Error("expected a text value");
      value->text = token_.text;
      return Next();
    }
    if (IsWord("d")) {
      value->type = ValueType::kDword;
      if (!Next())
        return false;
      if (token_.kind != TokenKind::kQuoted && token_.kind != TokenKind::kWord)
        return Error("expected a number");
      if (!ParseNumber(token_.text, &value->number))
        return Error("bad number " + token_.text);
      return Next();
    }
    return Error("expected a value type (s or d)");
  }

  static bool ParseNumber(const std::string& text, uint32_t* number) {
    uint64_t v = 0;
    size_t i = 0;
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
      base = 16;
      i = 2;
    }
    if (i >= text.size())
      return false;
    for (; i < text.size(); ++i) {
      char c = text[i];
      unsigned digit;
      if (c >= '0' && c <= '9')
        digit = c - '0';
      else if (base == 16 && c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
      else if (base == 16 && c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
      else
        return false;
      v = v * base + digit;
      if (v > 0xFFFFFFFFull)
        return false;
    }
    *number = static_cast<uint32_t>(v);
    return true;
  }

  bool ParseKey(RegKey* key, int depth) {
    if (depth > kMaxDepth)
      return Error("keys nested too deeply");
    if (IsWord("NoRemove") || IsWord("ForceRemove")) {
      key->flag = IsWord("NoRemove") ? KeyFlag::kNoRemove : KeyFlag::kForceRemove;
      if (!Next())
        return false;
    }
    if (!ParseName(&key->name))
      return false;
    if (key->name.empty() || key->name.find('\\') != std::string::npos)
      return Error("a key name must be one non-empty path element");
    if (token_.kind == TokenKind::kEquals) {
      if (!Next() || !ParseValue(&key->default_value))
        return false;
      key->has_default = true;
    }
    if (token_.kind != TokenKind::kOpen)
      return true;
    if (!Next())
      return false;
    while (token_.kind != TokenKind::kClose) {
      if (token_.kind == TokenKind::kEnd)
        return Error("missing '}'");
      if (IsWord("val")) {
        RegValue value;
        if (!Next() || !ParseName(&value.name))
          return false;
        if (value.name.empty())
          return Error("a val entry needs a name");
        if (!Expect(TokenKind::kEquals, "'=' after the value name") || !ParseValue(&value))
          return false;
        key->values.push_back(std::move(value));
      } else {
        RegKey sub;
        if (!ParseKey(&sub, depth + 1))
          return false;
        key->subkeys.push_back(std::move(sub));
      }
    }
    return Next();
  }

  const std::string& text_;
  const std::map<std::string, std::string>& replacements_;
  size_t pos_ = 0;
  int line_ = 1;
  Token token_;
  std::string message_;
};

}  // namespace

bool ParseRegistrarScript(const std::string& text,
                          const std::map<std::string, std::string>& replacements,
                          RegScript* script,
                          std::string* error) {
  RegScript parsed;
  Parser parser(text, replacements);
  if (!parser.Parse(&parsed, error))
    return false;
  *script = std::move(parsed);
  return true;
}

}  // namespace docwick_ext
