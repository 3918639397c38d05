// Reading registrar scripts: the syntax the module's script uses, and the
// mistakes that must stop registration instead of writing half a tree.
#include <gtest/gtest.h>

#include <string>

#include "registrar_script.h"

namespace zorvik {
namespace {

const std::map<std::wstring, std::wstring> kReplacements = {
    {L"MODULE", L"C:\\Program Files\\O'Brien\\zorvik.dll"}};

TEST(RegistrarScript, ReadsKeysValuesMarksQuotesAndReplacements) {
  const wchar_t* text =
      L"HKCR\n"
      L"{\n"
      L"  NoRemove CLSID\n"
      L"  {\n"
      L"    forceremove {F7E24288-B19F-4614-BFCC-15269A94ADF6} = s 'It''s 100%% ours'\n"
      L"    {\n"
      L"      InprocServer32 = s '%MODULE%'\n"
      L"      {\n"
      L"        val ThreadingModel = s 'Both'\n"
      L"        VAL 'Two Words' = s ''\n"
      L"      }\n"
      L"      'val' = s 'a key named val'\n"
      L"    }\n"
      L"  }\n"
      L"}\n"
      L"HKEY_LOCAL_MACHINE { Software }\n";
  const RegistrarParseResult parsed = ParseRegistrarScript(text, kReplacements);
  ASSERT_TRUE(parsed.script) << parsed.error;
  const RegistrarScript& script = *parsed.script;
  ASSERT_EQ(2u, script.roots.size());
  EXPECT_EQ(L"HKCR", script.roots[0].name);
  EXPECT_EQ(L"HKLM", script.roots[1].name);
  ASSERT_EQ(1u, script.roots[1].subkeys.size());
  EXPECT_EQ(L"Software", script.roots[1].subkeys[0].name);
  EXPECT_EQ(KeyRemoval::kWhenEmpty, script.roots[1].subkeys[0].removal);

  ASSERT_EQ(1u, script.roots[0].subkeys.size());
  const RegistryKeyEntry& clsid = script.roots[0].subkeys[0];
  EXPECT_EQ(L"CLSID", clsid.name);
  EXPECT_EQ(KeyRemoval::kNoRemove, clsid.removal);
  EXPECT_FALSE(clsid.default_value);
  ASSERT_EQ(1u, clsid.subkeys.size());

  const RegistryKeyEntry& class_key = clsid.subkeys[0];
  EXPECT_EQ(L"{F7E24288-B19F-4614-BFCC-15269A94ADF6}", class_key.name);
  EXPECT_EQ(KeyRemoval::kForceRemove, class_key.removal);
  EXPECT_EQ(L"It's 100% ours", class_key.default_value.value_or(L"<none>"));
  ASSERT_EQ(2u, class_key.subkeys.size());

  const RegistryKeyEntry& server = class_key.subkeys[0];
  EXPECT_EQ(L"InprocServer32", server.name);
  // A replacement goes in as it stands: its quote does not end the string.
  EXPECT_EQ(L"C:\\Program Files\\O'Brien\\zorvik.dll", server.default_value.value_or(L"<none>"));
  ASSERT_EQ(2u, server.values.size());
  EXPECT_EQ(L"ThreadingModel", server.values[0].name);
  EXPECT_EQ(L"Both", server.values[0].data);
  EXPECT_EQ(L"Two Words", server.values[1].name);
  EXPECT_EQ(L"", server.values[1].data);

  EXPECT_EQ(L"val", class_key.subkeys[1].name);
  EXPECT_EQ(L"a key named val", class_key.subkeys[1].default_value.value_or(L"<none>"));
}

TEST(RegistrarScript, RefusesWhatItCannotCarryOutAndSaysWhere) {
  const struct {
    const wchar_t* text;
    const char* error;
  } cases[] = {
      {L"HKCR\n{\n  Key = s 'open", "line 3: a quoted string has no closing quote"},
      {L"HKCR\n{\n  Key\n  {\n", "line 4: a { has no closing }"},
      {L"HKXX { Key }", "line 1: unknown root key HKXX"},
      {L"'HKCR' { Key }", "line 1: unknown root key HKCR"},
      {L"HKCR Key", "line 1: a root key needs a { after it"},
      {L"HKCR { Key = d '5' }", "line 1: only string values (s) are supported, found d"},
      {L"HKCR { Key = s unquoted }", "line 1: a string value must be quoted"},
      {L"HKCR {\n Key = s '%OTHER%' }", "line 2: no replacement for %OTHER%"},
      {L"HKCR { Key = s '50%' }", "line 1: a % has no closing %"},
      {L"HKCR { Delete Key }", "line 1: Delete is not supported"},
      {L"HKCR { val = s 'x' }", "line 1: expected a name, found ="},
      {L"HKCR { Key =", "line 1: the script ends where a value type was expected"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const RegistrarParseResult parsed = ParseRegistrarScript(c.text, kReplacements);
    EXPECT_FALSE(parsed.script);
    EXPECT_EQ(c.error, parsed.error);
  }
}

}  // namespace
}  // namespace zorvik
