// Script value <-> VARIANT conversion and the callback table, in-process with a fake engine
// helper table that records what the host asks of it.
#include "value_conversion.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tern_app_host.h"

namespace ternapp {
namespace {

struct Fake {
  std::vector<void*> released;
  std::string text = "caf\xc3\xa9";
  const char* json = "{\"a\":[1,2]}";
  bool function = false;
};
Fake* g_fake = nullptr;

SkiffHelpers MakeHelpers() {
  SkiffHelpers h = {};
  h.release = [](void* ref) { g_fake->released.push_back(ref); };
  h.toText = [](const SkiffValue*) -> const char* { return g_fake->text.c_str(); };
  h.isFunction = [](const SkiffValue*) -> BOOL { return g_fake->function; };
  h.toJson = [](const SkiffValue*) -> char* {
    return g_fake->json ? _strdup(g_fake->json) : nullptr;
  };
  h.freeText = [](char* text) { free(text); };
  h.fromJson = [](const char* json, SkiffValue* out) -> BOOL {
    out->kind = SKIFF_VALUE_OBJECT;
    out->u.ref = const_cast<char*>(json[0] == '{' ? "parsed-object" : "parsed-other");
    return TRUE;
  };
  h.makeString = [](const char* utf8, SkiffValue* out) -> BOOL {
    g_fake->text = utf8;
    out->kind = SKIFF_VALUE_STRING;
    out->u.ref = nullptr;
    return TRUE;
  };
  return h;
}

class ValueConversionTest : public testing::Test {
 protected:
  void SetUp() override { g_fake = &fake_; }
  void TearDown() override { g_fake = nullptr; }
  Fake fake_;
  SkiffHelpers helpers_ = MakeHelpers();
};

SkiffValue Value(int kind) {
  SkiffValue v = {};
  v.kind = kind;
  return v;
}

TEST_F(ValueConversionTest, ScalarsAndStrings) {
  VARIANT out;
  SkiffValue b = Value(SKIFF_VALUE_BOOL);
  b.u.boolean = 0x10001;  // only the low 16 bits travel
  ASSERT_TRUE(ScriptValueToVariant(b, helpers_, &out));
  EXPECT_EQ(V_VT(&out), VT_BOOL);
  EXPECT_EQ(V_BOOL(&out), 1);
  SkiffValue i = Value(SKIFF_VALUE_INT);
  i.u.integer = -7;
  ASSERT_TRUE(ScriptValueToVariant(i, helpers_, &out));
  EXPECT_EQ(V_VT(&out), VT_INT);
  EXPECT_EQ(V_INT(&out), -7);
  SkiffValue d = Value(SKIFF_VALUE_DOUBLE);
  d.u.number = 0.5;
  ASSERT_TRUE(ScriptValueToVariant(d, helpers_, &out));
  EXPECT_EQ(V_VT(&out), VT_R8);
  EXPECT_EQ(V_R8(&out), 0.5);
  ASSERT_TRUE(ScriptValueToVariant(Value(SKIFF_VALUE_STRING), helpers_, &out));
  ASSERT_EQ(V_VT(&out), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&out), L"caf\u00e9");
  ClearValueVariant(&out);
  EXPECT_FALSE(ScriptValueToVariant(Value(9), helpers_, &out));
  EXPECT_EQ(V_VT(&out), VT_EMPTY);
}

TEST_F(ValueConversionTest, ObjectsTravelAsJsonInTypeTwelveAndFailWithoutJson) {
  VARIANT out;
  ASSERT_TRUE(ScriptValueToVariant(Value(SKIFF_VALUE_OBJECT), helpers_, &out));
  ASSERT_EQ(V_VT(&out), 12);
  VARIANT* inner = static_cast<VARIANT*>(V_BYREF(&out));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(V_VT(inner), VT_BSTR);
  EXPECT_STREQ(V_BSTR(inner), L"{\"a\":[1,2]}");
  ClearValueVariant(&out);
  EXPECT_EQ(V_VT(&out), VT_EMPTY);

  fake_.json = nullptr;
  EXPECT_FALSE(ScriptValueToVariant(Value(SKIFF_VALUE_OBJECT), helpers_, &out));
  EXPECT_EQ(V_VT(&out), VT_EMPTY);
}

TEST_F(ValueConversionTest, FunctionsGetCallbackIdsThatReleaseOnce) {
  fake_.function = true;
  int function_a = 0, function_b = 0;
  SkiffValue fa = Value(SKIFF_VALUE_OBJECT);
  fa.u.ref = &function_a;
  SkiffValue fb = Value(SKIFF_VALUE_OBJECT);
  fb.u.ref = &function_b;
  VARIANT a, b;
  ASSERT_TRUE(ScriptValueToVariant(fa, helpers_, &a));
  ASSERT_TRUE(ScriptValueToVariant(fb, helpers_, &b));
  int32_t id_a = V_INT(static_cast<VARIANT*>(V_BYREF(&a)));
  int32_t id_b = V_INT(static_cast<VARIANT*>(V_BYREF(&b)));
  EXPECT_EQ(id_b, id_a + 1);
  EXPECT_NE(id_a, 0);
  ClearValueVariant(&a);
  ClearValueVariant(&b);

  TernAppHost& host = TernAppHost::Get();
  ScriptCallbackEntry entry;
  ASSERT_TRUE(host.FindCallback(id_a, &entry));
  EXPECT_EQ(entry.function, &function_a);
  EXPECT_TRUE(host.ReleaseCallback(id_a));
  EXPECT_FALSE(host.ReleaseCallback(id_a));
  ASSERT_EQ(fake_.released.size(), 1u);
  EXPECT_EQ(fake_.released[0], &function_a);
  // Forgetting by address removes the entry without releasing it.
  host.ForgetCallbackAt(&function_b);
  EXPECT_FALSE(host.FindCallback(id_b, &entry));
  EXPECT_EQ(fake_.released.size(), 1u);
}

TEST_F(ValueConversionTest, VariantsToScriptValues) {
  SkiffValue out = {};
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = VARIANT_TRUE;
  ASSERT_TRUE(VariantToScriptValue(v, helpers_, &out));
  EXPECT_EQ(out.kind, SKIFF_VALUE_BOOL);
  EXPECT_EQ(out.u.boolean, 0xFF);  // the low byte
  V_VT(&v) = VT_INT;
  V_INT(&v) = 12;
  ASSERT_TRUE(VariantToScriptValue(v, helpers_, &out));
  EXPECT_EQ(out.kind, SKIFF_VALUE_INT);
  EXPECT_EQ(out.u.integer, 12);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(L"\u00fc");
  ASSERT_TRUE(VariantToScriptValue(v, helpers_, &out));
  EXPECT_EQ(out.kind, SKIFF_VALUE_STRING);
  EXPECT_EQ(fake_.text, "\xc3\xbc");
  VariantClear(&v);

  VARIANT inner;
  VariantInit(&inner);
  V_VT(&inner) = VT_BSTR;
  V_BSTR(&inner) = SysAllocString(L"{}");
  V_VT(&v) = VT_VARIANT;
  V_BYREF(&v) = &inner;
  ASSERT_TRUE(VariantToScriptValue(v, helpers_, &out));
  EXPECT_STREQ(static_cast<const char*>(out.u.ref), "parsed-object");
  VariantClear(&inner);

  SkiffValue untouched = Value(SKIFF_VALUE_INT);
  untouched.u.integer = 99;
  const VARTYPE refused[] = {VT_I4, VT_EMPTY, VT_UI8, VT_DISPATCH};
  for (VARTYPE vt : refused) {
    VariantInit(&v);
    V_VT(&v) = vt;
    EXPECT_FALSE(VariantToScriptValue(v, helpers_, &untouched)) << vt;
  }
  V_VT(&v) = VT_VARIANT;
  V_BYREF(&v) = nullptr;
  EXPECT_FALSE(VariantToScriptValue(v, helpers_, &untouched));
  EXPECT_EQ(untouched.u.integer, 99);
}

}  // namespace
}  // namespace ternapp
