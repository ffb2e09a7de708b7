// The registrar-script parser, built natively: the module's own script shape,
// values and replacements, malformed scripts, and the bound on nesting.
#include "registry/registry_script.h"

#include <gtest/gtest.h>

#include <string>

namespace quill {
namespace {

const ScriptReplacements kReplacements = {{L"MODULE", L"C:\\x\\lumo ActiveX.ocx"},
                                          {L"APPID", L"{AB}"}};

RegistryScriptResult Parse(const std::wstring& script) {
  return ParseRegistryScript(script, kReplacements);
}

// root { k1 { k2 { ... k<levels-1> } } }: levels blocks in all.
std::wstring Nested(int levels) {
  std::wstring script = L"HKCR {";
  for (int i = 1; i < levels; ++i) script += L" k {";
  for (int i = 0; i < levels; ++i) script += L" }";
  return script;
}

int DepthOf(const std::vector<RegistryKey>& keys) {
  return keys.empty() ? 0 : 1 + DepthOf(keys[0].subkeys);
}

TEST(RegistryScriptTest, ReadsKeysValuesRemovalsAndReplacements) {
  const RegistryScriptResult result = Parse(
      L"HKCR\n{\n  NoRemove CLSID\n  {\n    ForceRemove {6A} = s 'Quill Class'\n    {\n"
      L"      InprocServer32 = s '%MODULE%'\n      {\n        val ThreadingModel = s "
      L"'Apart''ment'\n"
      L"      }\n      val AppID = s '%APPID%'\n      'Misc Status' = d 0x1F\n"
      L"      Delete Old\n      Percent = s '100%%'\n    }\n  }\n}\nHKLM { Software }\n");
  ASSERT_TRUE(result.ok) << std::string(result.error.begin(), result.error.end());  // ASCII
  ASSERT_EQ(result.trees.size(), 2u);
  EXPECT_EQ(result.trees[0].root, L"HKCR");
  const RegistryKey& clsid = result.trees[0].keys.at(0);
  EXPECT_EQ(clsid.name, L"CLSID");
  EXPECT_EQ(clsid.removal, KeyRemoval::kNoRemove);
  const RegistryKey& object = clsid.subkeys.at(0);
  EXPECT_EQ(object.removal, KeyRemoval::kForceRemove);
  EXPECT_TRUE(object.hasDefault);
  EXPECT_EQ(object.defaultValue.text, L"Quill Class");
  ASSERT_EQ(object.subkeys.size(), 4u);
  EXPECT_EQ(object.subkeys[0].defaultValue.text, L"C:\\x\\lumo ActiveX.ocx");
  ASSERT_EQ(object.subkeys[0].values.size(), 1u);
  EXPECT_EQ(object.subkeys[0].values[0].data.text, L"Apart'ment");
  ASSERT_EQ(object.values.size(), 1u);
  EXPECT_EQ(object.values[0].data.text, L"{AB}");
  EXPECT_EQ(object.subkeys[1].name, L"Misc Status");
  EXPECT_TRUE(object.subkeys[1].defaultValue.isNumber);
  EXPECT_EQ(object.subkeys[1].defaultValue.number, 0x1Fu);
  EXPECT_EQ(object.subkeys[2].removal, KeyRemoval::kDelete);
  EXPECT_EQ(object.subkeys[3].defaultValue.text, L"100%");
  EXPECT_EQ(result.trees[1].keys.at(0).name, L"Software");
}

TEST(RegistryScriptTest, RefusesMalformedScriptsWithAReason) {
  for (const wchar_t* script :
       {L"HKCR { k", L"HKCR { k = s 'open }", L"HKCR { k = d 0x100000000 }", L"HKCR { k = x 1 }",
        L"HKCR { val v = s 'a' }", L"HKCR { k = s '%NOPE%' }", L"HKCR k", L"HKCR { NoRemove }"}) {
    const RegistryScriptResult result = Parse(script);
    const std::wstring text = script;
    EXPECT_FALSE(result.ok) << std::string(text.begin(), text.end());
    EXPECT_FALSE(result.error.empty());
    EXPECT_TRUE(result.trees.empty());
  }
}

TEST(RegistryScriptTest, NestingIsBoundedAt64Blocks) {
  const RegistryScriptResult deepest = Parse(Nested(64));
  ASSERT_TRUE(deepest.ok);
  EXPECT_EQ(DepthOf(deepest.trees.at(0).keys), 63);

  const RegistryScriptResult tooDeep = Parse(Nested(65));
  EXPECT_FALSE(tooDeep.ok);
  EXPECT_EQ(tooDeep.error, L"blocks are nested more than 64 deep");
  EXPECT_TRUE(tooDeep.trees.empty());
}

TEST(RegistryScriptTest, AHugelyNestedScriptIsRefusedNotAStackOverflow) {
  // A block per level once took a stack frame per level without end.
  const RegistryScriptResult result = Parse(Nested(300000));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, L"blocks are nested more than 64 deep");
}

}  // namespace
}  // namespace quill
