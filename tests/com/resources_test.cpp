// The resources a reader of zorvik.dll finds: the project name, the registrar
// script and the version record with every string value.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_paths.h"
#include "unique_resource.h"

namespace zorvik {
namespace {

std::wstring DllPath() { return test::BesideExecutable(L"zorvik.dll"); }

TEST(Resources, NameAndRegistrarScript) {
  UniqueModule module(LoadLibraryExW(DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(module);
  wchar_t name[32] = {};
  ASSERT_GT(LoadStringW(module.get(), 100, name, 32), 0);
  EXPECT_STREQ(L"zorvik", name);

  HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(101), L"REGISTRY");
  ASSERT_NE(nullptr, found);
  const char* script = static_cast<const char*>(LockResource(LoadResource(module.get(), found)));
  ASSERT_NE(nullptr, script);
  const std::string text(script, SizeofResource(module.get(), found));
  EXPECT_EQ(0u, text.find("HKCR"));
  EXPECT_NE(std::string::npos, text.find("InprocServer32 = s '%MODULE%'"));
  EXPECT_NE(std::string::npos, text.find("NoRemove CLSID"));
  EXPECT_NE(std::string::npos,
            text.find("ForceRemove {F7E24288-B19F-4614-BFCC-15269A94ADF6} = s 'Scanner Class'"));
}

TEST(Resources, VersionRecordCarriesEveryStringValue) {
  const std::wstring path = DllPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> record(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, record.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
  EXPECT_EQ(MAKELONG(1, 0), fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
  EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
  EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);
  EXPECT_EQ(0u, fixed->dwFileFlags);
  EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
  EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);

  const struct {
    const wchar_t* key;
    const wchar_t* value;
  } strings[] = {
      {L"CompanyName", L""},
      {L"FileDescription", L"zorvik Module"},
      {L"FileVersion", L"1, 0, 0, 1"},
      {L"InternalName", L"zorvik"},
      {L"OriginalFilename", L"zorvik.DLL"},
      {L"ProductName", L"zorvik Module"},
      {L"ProductVersion", L"1, 0, 0, 1"},
      {L"OLESelfRegister", L""},
  };
  for (const auto& expected : strings) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + expected.key;
    wchar_t* value = nullptr;
    length = 0;
    ASSERT_TRUE(
        VerQueryValueW(record.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << std::string(query.begin(), query.end());
    EXPECT_STREQ(expected.value, value) << std::string(query.begin(), query.end());
  }
}

}  // namespace
}  // namespace zorvik
