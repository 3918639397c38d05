// What registration writes into the registry and takes out again, through
// DllRegisterServer/DllUnregisterServer and through regsvr32, and what a host
// then finds by ProgID.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "registry_reading.h"
#include "scanner_family.h"
#include "scoped_registration.h"
#include "unique_resource.h"
#include "zorvik.h"
#include "zorvik_module.h"
#include "zorvik_module_test.h"
#include "started_process.h"
#include "test_text.h"

using Microsoft::WRL::ComPtr;

namespace zorvik {
namespace {

using test::ClassesKeyExists;
using test::ClassesString;
using test::GuidText;
using test::Narrow;

const std::wstring kClassKey = L"CLSID\\{F7E24288-B19F-4614-BFCC-15269A94ADF6}";
const std::wstring kLibraryId = L"{020692CC-3D07-4E08-BD53-2E11B75480B3}";
const wchar_t* const kImplementedCategories[] = {L"{F2A5E1D0-F075-4A3B-9D2F-908B3BFE2DD2}",
                                                 L"{A2D2C384-2021-4105-B2A5-13313FEC1789}"};

struct ExpectedValue {
  std::wstring key;
  const wchar_t* name;  // null: the default value
  std::wstring data;
};

std::vector<ExpectedValue> ExpectedValues(const std::wstring& module_path) {
  const std::wstring class_id = L"{F7E24288-B19F-4614-BFCC-15269A94ADF6}";
  const std::wstring proxy_stub_key = L"CLSID\\" + GuidText(test::kProxyStubClsid);
  std::vector<ExpectedValue> values = {
      {L"Zorvik.Scanner.1", nullptr, L"Scanner Class"},
      {L"Zorvik.Scanner.1\\CLSID", nullptr, class_id},
      {L"Zorvik.Scanner", nullptr, L"Scanner Class"},
      {L"Zorvik.Scanner\\CLSID", nullptr, class_id},
      {L"Zorvik.Scanner\\CurVer", nullptr, L"Zorvik.Scanner.1"},
      {kClassKey, nullptr, L"Scanner Class"},
      {kClassKey + L"\\ProgID", nullptr, L"Zorvik.Scanner.1"},
      {kClassKey + L"\\VersionIndependentProgID", nullptr, L"Zorvik.Scanner"},
      {kClassKey + L"\\InprocServer32", nullptr, module_path},
      {kClassKey + L"\\InprocServer32", L"ThreadingModel", L"Both"},
      {kClassKey + L"\\TypeLib", nullptr, kLibraryId},
      {proxy_stub_key + L"\\InprocServer32", nullptr, module_path},
      {proxy_stub_key + L"\\InprocServer32", L"ThreadingModel", L"Both"},
  };
  for (const test::FamilyInterface& family : test::kScannerFamily) {
    const std::wstring key = L"Interface\\" + GuidText(*family.iid);
    values.push_back({key, nullptr, std::wstring(family.name, family.name + strlen(family.name))});
    values.push_back({key + L"\\ProxyStubClsid32", nullptr, GuidText(test::kProxyStubClsid)});
    values.push_back({key + L"\\NumMethods", nullptr, std::to_wstring(family.slots)});
  }
  return values;
}

void ExpectRegistered(const std::wstring& module_path) {
  for (const ExpectedValue& expected : ExpectedValues(module_path)) {
    SCOPED_TRACE(Narrow(expected.key) + " " +
                 (expected.name ? Narrow(expected.name) : "(default)"));
    EXPECT_EQ(expected.data, ClassesString(expected.key, expected.name).value_or(L"<missing>"));
  }
  for (const wchar_t* category : kImplementedCategories)
    EXPECT_TRUE(ClassesKeyExists(kClassKey + L"\\Implemented Categories\\" + category))
        << Narrow(category);
  EXPECT_TRUE(ClassesKeyExists(L"TypeLib\\" + kLibraryId + L"\\1.0"));
}

void ExpectUnregistered() {
  for (const ExpectedValue& expected : ExpectedValues(L"")) {
    EXPECT_FALSE(ClassesKeyExists(expected.key)) << Narrow(expected.key);
  }
  EXPECT_FALSE(ClassesKeyExists(L"TypeLib\\" + kLibraryId));
  EXPECT_TRUE(ClassesKeyExists(L"CLSID"));
}

using RegistrationTest = test::ZorvikModuleTest;

TEST_F(RegistrationTest, RegisterWritesEveryKeyAndUnregisterTakesThemAway) {
  ASSERT_EQ(S_OK, module_.RegisterServer());
  ExpectRegistered(module_.path());
  EXPECT_EQ(S_OK, module_.UnregisterServer());
  ExpectUnregistered();
}

TEST_F(RegistrationTest, RegisteringTwiceLeavesOneCleanSet) {
  test::ScopedRegistration first(module_);
  ASSERT_EQ(S_OK, first.result());
  // Left over from an older registration: the class key is rewritten whole.
  HKEY stale = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, (kClassKey + L"\\Stale").c_str(), 0,
                                           nullptr, 0, KEY_WRITE, nullptr, &stale, nullptr));
  RegCloseKey(stale);

  ASSERT_EQ(S_OK, module_.RegisterServer());
  ExpectRegistered(module_.path());
  const std::vector<std::wstring> expected_subkeys = {L"Implemented Categories", L"InprocServer32",
                                                      L"ProgID", L"TypeLib",
                                                      L"VersionIndependentProgID"};
  EXPECT_EQ(expected_subkeys, test::ClassesSubkeys(kClassKey));
  const std::vector<std::wstring> expected_categories = {kImplementedCategories[1],
                                                         kImplementedCategories[0]};
  EXPECT_EQ(expected_categories, test::ClassesSubkeys(kClassKey + L"\\Implemented Categories"));
}

// Keys of others stay where the script lists a key of theirs as never removed
// (CLSID) or finds subkeys it does not list (a ProgID key).
TEST_F(RegistrationTest, UnregisterLeavesWhatOthersKeepInSharedKeys) {
  ASSERT_EQ(S_OK, module_.RegisterServer());
  HKEY other = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, L"Zorvik.Scanner\\OtherVendorKey", 0,
                                           nullptr, 0, KEY_WRITE, nullptr, &other, nullptr));
  RegCloseKey(other);

  EXPECT_EQ(S_OK, module_.UnregisterServer());
  EXPECT_FALSE(ClassesKeyExists(kClassKey));
  EXPECT_FALSE(ClassesKeyExists(L"Zorvik.Scanner.1"));
  EXPECT_FALSE(ClassesKeyExists(L"Zorvik.Scanner\\CurVer"));
  EXPECT_TRUE(ClassesKeyExists(L"Zorvik.Scanner\\OtherVendorKey"));
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Zorvik.Scanner");
  ExpectUnregistered();
}

TEST_F(RegistrationTest, UnregisteringWhatIsNotRegisteredSucceeds) {
  ExpectUnregistered();
  EXPECT_EQ(S_OK, module_.UnregisterServer());
  ExpectUnregistered();
}

int RunRegsvr32(const std::wstring& options, const std::wstring& module_path) {
  test::StartedProcess regsvr32(L"regsvr32.exe " + options + L" \"" + module_path + L"\"");
  return regsvr32.started() ? regsvr32.Wait(60000) : -2;
}

TEST_F(RegistrationTest, Regsvr32RegistersAndUnregisters) {
  ASSERT_EQ(0, RunRegsvr32(L"/s", module_.path()));
  ExpectRegistered(module_.path());
  EXPECT_EQ(0, RunRegsvr32(L"/u /s", module_.path()));
  ExpectUnregistered();
}

TEST_F(RegistrationTest, HostsCreateTheScannerByEitherProgId) {
  test::ScopedRegistration registration(module_);
  ASSERT_EQ(S_OK, registration.result());
  for (const wchar_t* prog_id : {L"Zorvik.Scanner", L"Zorvik.Scanner.1"}) {
    SCOPED_TRACE(Narrow(prog_id));
    CLSID clsid = {};
    ASSERT_EQ(S_OK, CLSIDFromProgID(prog_id, &clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_ZORVIK, clsid));
    ComPtr<IScanner> scanner;
    ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&scanner)));
    ComPtr<ILog> log;
    EXPECT_EQ(S_OK, scanner.As(&log));
  }
}

}  // namespace
}  // namespace zorvik
