#include "registrar_script.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using docwick_ext::KeyFlag;
using docwick_ext::ParseRegistrarScript;
using docwick_ext::RegKey;
using docwick_ext::RegScript;
using docwick_ext::ValueType;

const char kClsid[] = "{C6D2E2BC-FCE5-45E3-A90C-33D5DFE74D57}";

std::string ReadResource(const char* name) {
  std::ifstream in(std::string(DOCWICKEXT_RES_DIR) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const RegKey* Find(const std::vector<RegKey>& keys, const std::string& name) {
  for (const RegKey& key : keys) {
    if (key.name == name)
      return &key;
  }
  return nullptr;
}

TEST(RegistrarScriptTest, ModuleScriptHoldsTheApprovalValueUnderNoRemoveChain) {
  RegScript script;
  std::string error;
  ASSERT_TRUE(ParseRegistrarScript(ReadResource("module.rgs"), {{"APPID", "{X}"}}, &script, &error))
      << error;
  ASSERT_EQ(1u, script.roots.size());
  EXPECT_EQ("HKCR", script.roots[0].name);
  const std::vector<RegKey>* level = &script.roots[0].keys;
  const RegKey* key = nullptr;
  for (const char* name :
       {"Software", "Microsoft", "Windows", "CurrentVersion", "Shell Extensions", "Approved"}) {
    ASSERT_EQ(1u, level->size()) << name;
    key = &(*level)[0];
    EXPECT_EQ(name, key->name);
    EXPECT_EQ(KeyFlag::kNoRemove, key->flag) << name;
    EXPECT_FALSE(key->has_default) << name;
    level = &key->subkeys;
  }
  ASSERT_EQ(1u, key->values.size());
  EXPECT_EQ(kClsid, key->values[0].name);
  EXPECT_EQ("TernShellExtension Class", key->values[0].text);
}

TEST(RegistrarScriptTest, ClassScriptHasProgIdsClassKeyAndHandler) {
  RegScript script;
  std::string error;
  ASSERT_TRUE(ParseRegistrarScript(ReadResource("class.rgs"),
                                   {{"MODULE", "C:\\x y\\DocwickExt.dll"}}, &script, &error))
      << error;
  ASSERT_EQ(1u, script.roots.size());
  const std::vector<RegKey>& top = script.roots[0].keys;
  ASSERT_EQ(4u, top.size());

  const RegKey* progId = Find(top, "DocwickExt.TernShellExtension.1");
  ASSERT_TRUE(progId);
  EXPECT_EQ(KeyFlag::kNormal, progId->flag);
  EXPECT_EQ("TernShellExtension Class", progId->default_value.text);
  ASSERT_TRUE(Find(progId->subkeys, "CLSID"));
  EXPECT_EQ(kClsid, Find(progId->subkeys, "CLSID")->default_value.text);

  const RegKey* independent = Find(top, "DocwickExt.TernShellExtension");
  ASSERT_TRUE(independent && Find(independent->subkeys, "CurVer"));
  EXPECT_EQ("DocwickExt.TernShellExtension.1",
            Find(independent->subkeys, "CurVer")->default_value.text);

  const RegKey* clsidRoot = Find(top, "CLSID");
  ASSERT_TRUE(clsidRoot);
  EXPECT_EQ(KeyFlag::kNoRemove, clsidRoot->flag);
  const RegKey* cls = Find(clsidRoot->subkeys, kClsid);
  ASSERT_TRUE(cls);
  EXPECT_EQ(KeyFlag::kForceRemove, cls->flag);
  EXPECT_EQ("TernShellExtension Class", cls->default_value.text);
  struct Sub {
    const char* name;
    KeyFlag flag;
    bool has_default;
    const char* value;
  } const subs[] = {
      {"ProgID", KeyFlag::kNormal, true, "DocwickExt.TernShellExtension.1"},
      {"VersionIndependentProgID", KeyFlag::kNormal, true, "DocwickExt.TernShellExtension"},
      {"Programmable", KeyFlag::kForceRemove, false, ""},
      {"InprocServer32", KeyFlag::kNormal, true, "C:\\x y\\DocwickExt.dll"},
      {"TypeLib", KeyFlag::kNormal, true, "{DDD39686-C57F-4271-89FC-6A706926C4DE}"},
      {"Version", KeyFlag::kNormal, true, "1.0"},
  };
  ASSERT_EQ(6u, cls->subkeys.size());
  for (const Sub& s : subs) {
    const RegKey* sub = Find(cls->subkeys, s.name);
    ASSERT_TRUE(sub) << s.name;
    EXPECT_EQ(s.flag, sub->flag) << s.name;
    EXPECT_EQ(s.has_default, sub->has_default) << s.name;
    EXPECT_EQ(s.value, sub->default_value.text) << s.name;
  }
  const RegKey* inproc = Find(cls->subkeys, "InprocServer32");
  ASSERT_EQ(1u, inproc->values.size());
  EXPECT_EQ("ThreadingModel", inproc->values[0].name);
  EXPECT_EQ("Apartment", inproc->values[0].text);

  const RegKey* key = Find(top, "AllFileSystemObjects");
  for (const char* name : {"ShellEx", "ContextMenuHandlers"}) {
    ASSERT_TRUE(key);
    EXPECT_EQ(KeyFlag::kNoRemove, key->flag);
    key = Find(key->subkeys, name);
  }
  ASSERT_TRUE(key);
  EXPECT_EQ(KeyFlag::kNoRemove, key->flag);
  const RegKey* handler = Find(key->subkeys, "DocwickExt");
  ASSERT_TRUE(handler);
  EXPECT_EQ(KeyFlag::kForceRemove, handler->flag);
  EXPECT_EQ(kClsid, handler->default_value.text);
}

TEST(RegistrarScriptTest, QuotingReplacementsAndNumbers) {
  RegScript script;
  std::string error;
  ASSERT_TRUE(ParseRegistrarScript(
      "HKEY_CURRENT_USER { 'it''s here' = s '100%% %A%' { val n = d 0xFFFFFFFF val m = d 42 "
      "'val' 'NoRemove' {%A%} } }",
      {{"A", "x'y"}}, &script, &error))
      << error;
  ASSERT_EQ(1u, script.roots.size());
  EXPECT_EQ("HKCU", script.roots[0].name);
  const RegKey& key = script.roots[0].keys.at(0);
  EXPECT_EQ("it's here", key.name);
  EXPECT_EQ("100% x'y", key.default_value.text);
  ASSERT_EQ(2u, key.values.size());
  EXPECT_EQ(ValueType::kDword, key.values[0].type);
  EXPECT_EQ(0xFFFFFFFFu, key.values[0].number);
  EXPECT_EQ(42u, key.values[1].number);
  // Quoted keywords are plain key names.
  ASSERT_EQ(3u, key.subkeys.size());
  EXPECT_EQ("val", key.subkeys[0].name);
  EXPECT_EQ("NoRemove", key.subkeys[1].name);
  EXPECT_EQ(KeyFlag::kNormal, key.subkeys[1].flag);
  EXPECT_EQ("{x'y}", key.subkeys[2].name);
}

TEST(RegistrarScriptTest, RejectsMalformedScripts) {
  struct Case {
    const char* text;
    const char* message;
  } const cases[] = {
      {"HKXX { }", "unknown registry root"},
      {"HKCR { A", "missing '}'"},
      {"HKCR { A { B }", "missing '}'"},
      {"HKCR { 'A", "unterminated quoted text"},
      {"HKCR { A = s '%NOPE%' }", "unknown replacement"},
      {"HKCR { A = s '50%' }", "unterminated replacement"},
      {"HKCR { A = x 'v' }", "expected a value type"},
      {"HKCR { A = d 0x100000000 }", "bad number"},
      {"HKCR { A = d 12z }", "bad number"},
      {"HKCR { A { val = s 'v' } }", "expected a name"},
      {"HKCR { A { val n s 'v' } }", "expected '='"},
      {"HKCR { {ABC }", "blank inside a braced name"},
      {"HKCR { {ABC", "unterminated braced name"},
      {"HKCR { A { val '' = s 'v' } }", "val entry needs a name"},
      {"HKCR { 'a\\b' }", "one non-empty path element"},
      {"HKCR { '' }", "one non-empty path element"},
      {"HKCR A", "expected '{'"},
      {"{ }", "expected a registry root"},
  };
  for (const Case& c : cases) {
    RegScript script;
    std::string error;
    EXPECT_FALSE(ParseRegistrarScript(c.text, {}, &script, &error)) << c.text;
    EXPECT_NE(std::string::npos, error.find(c.message)) << c.text << " -> " << error;
  }
}

TEST(RegistrarScriptTest, ErrorNamesTheLineAndDeepNestingIsRefused) {
  RegScript script;
  std::string error;
  EXPECT_FALSE(ParseRegistrarScript("HKCR\n{\n  A = q\n}\n", {}, &script, &error));
  EXPECT_EQ(0u, error.find("line 3:")) << error;

  std::string deep = "HKCR {";
  for (int i = 0; i < 40; ++i)
    deep += " K {";
  for (int i = 0; i < 40; ++i)
    deep += " }";
  deep += " }";
  EXPECT_FALSE(ParseRegistrarScript(deep, {}, &script, &error));
  EXPECT_NE(std::string::npos, error.find("nested too deeply"));
}

TEST(RegistrarScriptTest, EmptyScriptHasNoRoots) {
  RegScript script;
  std::string error;
  EXPECT_TRUE(ParseRegistrarScript(" \r\n\t", {}, &script, &error));
  EXPECT_TRUE(script.roots.empty());
}

}  // namespace
