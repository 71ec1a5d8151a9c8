#include "conduit.h"

#include <gtest/gtest.h>

namespace {

struct Serializer {
  Serializer() : s(CreateSerialize()) {}
  ~Serializer() { DestroySerialize(s); }
  cdSerialize* s;
};

TEST(SerializeTest, ScalarFieldsRoundTripInOrder) {
  Serializer w;
  uint32_t u = 0x10026;
  int32_t i = -120;
  BOOL b = TRUE;
  SIZE size = {400, 300};
  ASSERT_TRUE(WriteSerialize(w.s, CD_UINT32, &u));
  ASSERT_TRUE(WriteSerialize(w.s, CD_INT32, &i));
  ASSERT_TRUE(WriteSerialize(w.s, CD_BOOL, &b));
  ASSERT_TRUE(WriteSerialize(w.s, CD_STRING, "caf\xc3\xa9"));
  ASSERT_TRUE(WriteSerialize(w.s, CD_SIZE, &size));

  uint32_t u2 = 0;
  int32_t i2 = 0;
  BOOL b2 = FALSE;
  const char* text = nullptr;
  SIZE size2 = {};
  // A field of another type is refused and does not move the position.
  EXPECT_FALSE(ReadSerialize(w.s, CD_INT32, &i2));
  ASSERT_TRUE(ReadSerialize(w.s, CD_UINT32, &u2));
  ASSERT_TRUE(ReadSerialize(w.s, CD_INT32, &i2));
  ASSERT_TRUE(ReadSerialize(w.s, CD_BOOL, &b2));
  ASSERT_TRUE(ReadSerialize(w.s, CD_STRING, &text));
  ASSERT_TRUE(ReadSerialize(w.s, CD_SIZE, &size2));
  EXPECT_EQ(u2, 0x10026u);
  EXPECT_EQ(i2, -120);
  EXPECT_TRUE(b2);
  EXPECT_STREQ(text, "caf\xc3\xa9");
  EXPECT_EQ(size2.cx, 400);
  EXPECT_EQ(size2.cy, 300);
  EXPECT_FALSE(ReadSerialize(w.s, CD_UINT32, &u2));
}

TEST(SerializeTest, DispParamsWithBstrIntAndNestedVariant) {
  VARIANT inner;
  VariantInit(&inner);
  V_VT(&inner) = VT_BSTR;
  V_BSTR(&inner) = SysAllocString(L"{\"a\":1}");
  VARIANT args[3];
  for (VARIANT& v : args)
    VariantInit(&v);
  V_VT(&args[0]) = VT_BSTR;
  V_BSTR(&args[0]) = SysAllocString(L"name");
  V_VT(&args[1]) = VT_INT;
  V_INT(&args[1]) = -7;
  V_VT(&args[2]) = VT_VARIANT;
  V_BYREF(&args[2]) = &inner;
  DISPPARAMS params = {args, nullptr, 3, 0};
  Serializer w;
  ASSERT_TRUE(WriteSerialize(w.s, CD_DISPPARAMS, &params));

  DISPPARAMS back = {};
  ASSERT_TRUE(ReadSerialize(w.s, CD_DISPPARAMS, &back));
  ASSERT_EQ(back.cArgs, 3u);
  EXPECT_EQ(V_VT(&back.rgvarg[0]), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&back.rgvarg[0]), L"name");
  EXPECT_EQ(V_VT(&back.rgvarg[1]), VT_INT);
  EXPECT_EQ(V_INT(&back.rgvarg[1]), -7);
  ASSERT_EQ(V_VT(&back.rgvarg[2]), VT_VARIANT);
  VARIANT* nested = static_cast<VARIANT*>(V_BYREF(&back.rgvarg[2]));
  ASSERT_NE(nested, nullptr);
  EXPECT_NE(nested, &inner);
  EXPECT_EQ(V_VT(nested), VT_BSTR);
  EXPECT_STREQ(V_BSTR(nested), L"{\"a\":1}");
  for (UINT k = 0; k < back.cArgs; ++k)
    cdClearVariant(&back.rgvarg[k]);
  CoTaskMemFree(back.rgvarg);
  VariantClear(&args[0]);
  VariantClear(&inner);
}

TEST(SerializeTest, UnsupportedVariantTypesAreRefused) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = nullptr;
  Serializer w;
  EXPECT_FALSE(WriteSerialize(w.s, CD_VARIANT, &v));
  // A variant nested twice is refused too.
  VARIANT inner;
  VariantInit(&inner);
  V_VT(&inner) = VT_VARIANT;
  V_BYREF(&inner) = nullptr;
  V_VT(&v) = VT_VARIANT;
  V_BYREF(&v) = &inner;
  EXPECT_FALSE(WriteSerialize(w.s, CD_VARIANT, &v));
}

TEST(SerializeTest, MalformedBytesAreRefusedWithoutLeaks) {
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"unknown variant type", {5, 0x0D, 0x00}},
      {"odd bstr length", {5, 8, 0, 3, 0, 0, 0, 'a', 0, 'b'}},
      {"bstr past the end", {5, 8, 0, 10, 0, 0, 0, 'a', 0}},
      {"dispparams count too large", {6, 0xFF, 0xFF, 0xFF, 0x7F}},
      {"dispparams second arg cut", {6, 2, 0, 0, 0, 3, 0, 1, 0, 0, 0, 3, 0, 1}},
      {"nested flag not 0/1", {5, 12, 0, 7}},
      {"empty", {}},
  };
  for (const auto& c : cases) {
    cdSerialize* s =
        cdCreateSerializeFromData(c.bytes.data(), static_cast<uint32_t>(c.bytes.size()));
    VARIANT v;
    DISPPARAMS d = {};
    EXPECT_FALSE(ReadSerialize(s, CD_VARIANT, &v)) << c.what;
    EXPECT_FALSE(ReadSerialize(s, CD_DISPPARAMS, &d)) << c.what;
    DestroySerialize(s);
  }
}

}  // namespace
