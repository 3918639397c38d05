// Switching the component's log for the machine: what the switch writes in
// the settings key, what the status says, and that a program started
// afterwards really logs to the file the status names.
#include "com_apartment.h"
#include "component_log.h"

#include <gtest/gtest.h>

#include <string>

#include "child_checks.h"
#include "child_process.h"
#include "log_bits.h"
#include "log_settings_scope.h"
#include "log_test_files.h"
#include "zorvik_object.h"
#include "test_text.h"

namespace zorvik::host {
namespace {

using test::LogSettingsValues;
using test::ScopedLogSettings;

std::optional<DWORD> StoredDword(const char* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, test::kZorvikLogSettingsKey, name, RRF_RT_REG_DWORD, nullptr,
                   &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::string> StoredString(const char* name) {
  char value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, test::kZorvikLogSettingsKey, name, RRF_RT_REG_SZ, nullptr,
                   value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(value);
}

TEST(ComponentLog, WithoutSettingsTheLogIsOffAndWouldGoToTheTemporaryFolder) {
  ScopedLogSettings no_settings;
  ComponentLogState state;
  state.enabled = true;
  ASSERT_HRESULT_SUCCEEDED(ReadComponentLog(&state));
  EXPECT_FALSE(state.enabled);
  EXPECT_EQ(0u, state.destination);
  EXPECT_TRUE(state.file_is_default);
  EXPECT_EQ(test::Widen(test::DefaultLogFilePath()), state.file);
  EXPECT_EQ(L"The component's log is off.\nLog file: " + state.file +
                L" (the temporary folder of the program that logs)\n"
                L"Programs read this when they create their first scanner; running ones keep "
                L"their setting.\n",
            DescribeComponentLog(state));
}

TEST(ComponentLog, OnAddsTheFileToTheDestinationsAndOffKeepsThemForNextTime) {
  ScopedLogSettings settings({.enabled = 0, .filter = 0x1, .destination = LOG_DEST_DEBUGGER});
  ASSERT_HRESULT_SUCCEEDED(SwitchComponentLog(true, L"C:\\logs\\zorvik.log"));
  EXPECT_EQ(1u, StoredDword("LogEnabled"));
  EXPECT_EQ(LOG_DEST_DEBUGGER | LOG_DEST_FILE, StoredDword("LogDestination"));
  EXPECT_EQ(0x1u, StoredDword("LogFilter"));
  EXPECT_EQ("C:\\logs\\zorvik.log", StoredString("LogFile"));

  ComponentLogState state;
  ASSERT_HRESULT_SUCCEEDED(ReadComponentLog(&state));
  EXPECT_TRUE(state.enabled);
  EXPECT_FALSE(state.file_is_default);
  EXPECT_EQ(
      L"The component's log is on.\nIt goes to the file, the debugger output.\n"
      L"Log file: C:\\logs\\zorvik.log\n"
      L"Programs read this when they create their first scanner; running ones keep "
      L"their setting.\n",
      DescribeComponentLog(state));

  ASSERT_HRESULT_SUCCEEDED(SwitchComponentLog(false, L""));
  EXPECT_EQ(0u, StoredDword("LogEnabled"));
  EXPECT_EQ(LOG_DEST_DEBUGGER | LOG_DEST_FILE, StoredDword("LogDestination"));
  EXPECT_EQ("C:\\logs\\zorvik.log", StoredString("LogFile"));

  // On again without a file is the default file, not the one set before.
  ASSERT_HRESULT_SUCCEEDED(SwitchComponentLog(true, L""));
  EXPECT_EQ(1u, StoredDword("LogEnabled"));
  EXPECT_EQ(std::nullopt, StoredString("LogFile"));
  ASSERT_HRESULT_SUCCEEDED(ReadComponentLog(&state));
  EXPECT_TRUE(state.file_is_default);
}

TEST(ComponentLog, ARelativeFileIsStoredAsTheAbsolutePathItNamesHere) {
  ScopedLogSettings no_settings;
  wchar_t folder[MAX_PATH + 1] = {};
  ASSERT_NE(0u, GetCurrentDirectoryW(MAX_PATH + 1, folder));
  std::wstring expected = folder;
  if (expected.back() != L'\\') expected += L'\\';
  expected += L"logs\\zorvik.log";
  ASSERT_HRESULT_SUCCEEDED(SwitchComponentLog(true, L"logs\\zorvik.log"));
  ComponentLogState state;
  ASSERT_HRESULT_SUCCEEDED(ReadComponentLog(&state));
  EXPECT_EQ(expected, state.file);
}

TEST(ComponentLog, AFileTheComponentWouldIgnoreIsRefusedAndReportedAsTheDefault) {
  ScopedLogSettings settings({.enabled = 1,
                              .destination = LOG_DEST_FILE,
                              .file = "C:\\" + std::string(297, 'a') + ".log"});
  ComponentLogState state;
  ASSERT_HRESULT_SUCCEEDED(ReadComponentLog(&state));
  EXPECT_TRUE(state.file_is_default);
  EXPECT_EQ(test::Widen(test::DefaultLogFilePath()), state.file);

  EXPECT_EQ(E_INVALIDARG, SwitchComponentLog(true, L"C:\\" + std::wstring(260, L'b')));
  EXPECT_EQ(1u, StoredDword("LogEnabled"));
  EXPECT_EQ(304u, StoredString("LogFile").value_or("").size()) << "nothing may be written";
}

ZORVIK_CHILD_ROLE(component_logs_a_line) {
  ComApartment com(COINIT_MULTITHREADED);
  ::zorvik::zorvik scanner;
  std::wstring line = L"switched on by zorvik_scan";
  CHILD_CHECK(scanner.LogString(LOG_ATTR_DETAIL, line.data()) == S_OK);
  return 0;
}

TEST(ComponentLog, AProgramStartedAfterTheSwitchLogsToTheNamedFile) {
  ScopedLogSettings no_settings;
  test::TempLogFile file("switched");
  ASSERT_HRESULT_SUCCEEDED(SwitchComponentLog(true, file.wide_path()));
  ComponentLogState state;
  ASSERT_HRESULT_SUCCEEDED(ReadComponentLog(&state));
  ASSERT_EQ(file.wide_path(), state.file);

  EXPECT_CHILD_PASSES(test::RunChild("component_logs_a_line"));
  EXPECT_NE(std::string::npos, file.Read().find("switched on by zorvik_scan\r\n")) << file.Read();
}

}  // namespace
}  // namespace zorvik::host
