#include "runner/open_with_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace docwick {
namespace {

// Registry bytes of a UTF-16LE text, with or without its terminating NUL.
std::vector<unsigned char> Utf16Bytes(const std::u16string& text, bool with_nul) {
  std::vector<unsigned char> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<unsigned char>(c & 0xFF));
    bytes.push_back(static_cast<unsigned char>(c >> 8));
  }
  if (with_nul) {
    bytes.push_back(0);
    bytes.push_back(0);
  }
  return bytes;
}

TEST(OpenWithRules, RegistryTexts) {
  EXPECT_EQ(L"@C:\\Program Files\\Tern\\bin\\Docwick.exe,-130",
            OpenWithFriendlyAppName(L"C:\\Program Files\\Tern\\bin\\Docwick.exe"));
  EXPECT_EQ(L"\"C:\\a b\\Docwick.exe\" --command=OpenWithListDocxPreview \"--params=%1\"",
            OpenWithCommandTemplate(L"C:\\a b\\Docwick.exe"));
}

TEST(OpenWithRules, MruListAcceptsOnlyTerminatedText) {
  struct Case {
    uint32_t type;
    std::vector<unsigned char> data;
    bool ok;
    std::u16string list;
  } cases[] = {
      {kRegTypeSz, {}, true, u""},
      {kRegTypeSz, Utf16Bytes(u"cba", true), true, u"cba"},
      {kRegTypeExpandSz, Utf16Bytes(u"ab", true), true, u"ab"},
      {kRegTypeSz, Utf16Bytes(u"", true), true, u""},
      {kRegTypeSz, Utf16Bytes(u"ab", false), false, u""},      // no NUL at the end
      {kRegTypeSz, {'a', 0, 'b', 0, 0}, false, u""},           // odd size
      {kRegTypeSz, {'a', 0, 0, 0, 'b', 0, 0, 0}, true, u"a"},  // text ends at the NUL
      {4 /* REG_DWORD */, {'a', 0, 0, 0}, false, u""},
      {3 /* REG_BINARY */, Utf16Bytes(u"ab", true), false, u""},
      {7 /* REG_MULTI_SZ */, Utf16Bytes(u"ab", true), false, u""},
  };
  for (const Case& c : cases) {
    std::u16string list = u"unchanged";
    EXPECT_EQ(c.ok, ParseMruList(c.type, c.data.data(), c.data.size(), &list))
        << c.type << " size " << c.data.size();
    if (c.ok) {
      EXPECT_TRUE(list == c.list);
    }
  }
}

TEST(OpenWithRules, NamesDocwickInAnyCaseAndOnlyAsText) {
  struct Case {
    uint32_t type;
    std::vector<unsigned char> data;
    bool names;
  } cases[] = {
      {kRegTypeSz, Utf16Bytes(u"Docwick.exe", true), true},
      {kRegTypeSz, Utf16Bytes(u"DOCWICK.EXE", true), true},
      {kRegTypeExpandSz, Utf16Bytes(u"docwick.exe", false), true},  // unterminated read
      {kRegTypeSz, Utf16Bytes(u"Docwick.exe ", true), false},
      {kRegTypeSz, Utf16Bytes(u"Docwick.ex", true), false},
      {kRegTypeSz, Utf16Bytes(u"winword.exe", true), false},
      {kRegTypeSz, {}, false},
      {3 /* REG_BINARY */, Utf16Bytes(u"Docwick.exe", true), false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.names, NamesDocwick(c.type, c.data.data(), c.data.size())) << c.type;
}

TEST(OpenWithRules, ChoosesTheHelpersLetterElseTheLowestMissingElseJ) {
  using S = LetterSlot;
  const S M = S::kMissing, D = S::kDocwick, O = S::kOther;
  struct Case {
    LetterSlot slots[10];
    char16_t letter;
  } cases[] = {
      {{M, M, M, M, M, M, M, M, M, M}, u'a'},
      {{O, O, O, M, M, M, M, M, M, M}, u'd'},
      {{O, D, M, M, M, M, M, M, M, M}, u'b'},
      {{M, O, O, O, O, O, O, O, O, D}, u'j'},  // the helper wins over a free letter
      {{O, O, O, O, O, O, O, O, O, O}, u'j'},  // full: "j" is overwritten
      {{O, O, O, O, O, O, O, O, O, M}, u'j'},
      {{O, M, O, M, O, O, O, O, O, O}, u'b'},
      {{D, O, O, O, O, O, O, O, O, D}, u'j'},  // the walk from "j" stops at the first hit
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.letter, ChooseOpenWithLetter(c.slots));
}

TEST(OpenWithRules, NewListPutsTheLetterFirstAndFoldsTheOldList) {
  struct Case {
    char16_t letter;
    std::u16string old_list;
    std::u16string list;
  } cases[] = {
      {u'a', u"", u"a"},
      {u'd', u"cba", u"dcba"},
      {u'b', u"ab", u"ba"},
      {u'b', u"aBc", u"bac"},
      {u'b', u"bab", u"ba"},    // every occurrence goes
      {u'd', u"ABC", u"dabc"},  // upper-case letters of the list are folded
      {u'a', u"xKz", u"axKz"},  // only "A" to "J" are list letters
      {u'j', u"abcdefghij", u"jabcdefghi"},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(NewMruList(c.letter, c.old_list) == c.list)
        << static_cast<char>(c.letter) << " " << std::string(c.old_list.begin(), c.old_list.end());
}

}  // namespace
}  // namespace docwick
