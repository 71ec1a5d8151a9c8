#include "base64.h"

#include <gtest/gtest.h>

namespace {

using docwick_ext::Base64Encode;

TEST(Base64Test, PadsToMultipleOfFourByInputLengthModThree) {
  struct Case {
    std::string in;
    std::string out;
  } const cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.out, Base64Encode(c.in)) << c.in;
    EXPECT_EQ(4 * ((c.in.size() + 2) / 3), Base64Encode(c.in).size());
  }
}

TEST(Base64Test, UsesPlusAndSlashAndHandlesHighBytesAndNul) {
  EXPECT_EQ("+/+/", Base64Encode(std::string("\xfb\xff\xbf", 3)));
  EXPECT_EQ("AAA=", Base64Encode(std::string("\0\0", 2)));
  // UTF-8 of "C:\文档 1.docx": a path with a blank and non-ASCII characters.
  EXPECT_EQ("Qzpc5paH5qGjIDEuZG9jeA==", Base64Encode("C:\\\xe6\x96\x87\xe6\xa1\xa3 1.docx"));
}

TEST(Base64Test, NoLineBreaksInLongOutput) {
  const std::string encoded = Base64Encode(std::string(3000, 'a'));
  EXPECT_EQ(4000u, encoded.size());
  EXPECT_EQ(std::string::npos, encoded.find_first_of("\r\n="));
}

}  // namespace
