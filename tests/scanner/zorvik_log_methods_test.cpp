// The ILog methods of the scanner object: what LogString writes and what
// IsEnabled answers, with logging off and on.  Each case runs in a child
// process, since the log settings are read once per process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "com_apartment.h"
#include "child_checks.h"
#include "child_process.h"
#include "log_settings_scope.h"
#include "log_test_files.h"
#include "logger.h"
#include "zorvik_object.h"

namespace zorvik {
namespace {

constexpr BYTE kUntouched = 0xCC;

ZORVIK_CHILD_ROLE(ilog_with_logging_off) {
  ComApartment com(COINIT_MULTITHREADED);
  ::zorvik::zorvik scanner;
  BYTE enabled = kUntouched;
  CHILD_CHECK(scanner.IsEnabled(LOG_ATTR_DETAIL, &enabled) == S_OK && enabled == 0);
  wchar_t text[] = L"not written";
  CHILD_CHECK(scanner.LogString(LOG_ATTR_DETAIL, text) == S_OK);
  CHILD_CHECK(scanner.LogString(LOG_ATTR_DETAIL, nullptr) == S_OK);
  CHILD_CHECK(scanner.IsEnabled(LOG_ATTR_DETAIL, nullptr) == S_OK);
  return 0;
}

TEST(ZorvikLogMethods, WithLoggingOffTheyAnswerNoAndSucceed) {
  test::ScopedLogSettings no_settings;
  EXPECT_CHILD_PASSES(test::RunChild("ilog_with_logging_off"));
}

// Logging to the file with LOG_ATTR_TRACE filtered out.
ZORVIK_CHILD_ROLE(ilog_with_trace_filtered) {
  ComApartment com(COINIT_MULTITHREADED);
  ::zorvik::zorvik scanner;
  const struct {
    DWORD attribute;
    BYTE enabled;
  } answers[] = {
      {LOG_ATTR_DETAIL, 1}, {LOG_ATTR_BUTTON, 1}, {0, 1}, {LOG_ATTR_TRACE, 0}, {0xA, 0}, {0xB, 0}};
  for (const auto& answer : answers) {
    BYTE enabled = kUntouched;
    CHILD_CHECK(scanner.IsEnabled(answer.attribute, &enabled) == S_OK);
    CHILD_CHECK(enabled == answer.enabled);
  }
  CHILD_CHECK(scanner.IsEnabled(LOG_ATTR_DETAIL, nullptr) == S_OK);

  std::wstring host_line = L"host line";
  std::wstring filtered = L"filtered";
  std::wstring beyond_ascii = L"Gr\u00fc\u00dfe \u6f22\u5b57";
  CHILD_CHECK(scanner.LogString(LOG_ATTR_DETAIL, host_line.data()) == S_OK);
  CHILD_CHECK(scanner.LogString(0xA, filtered.data()) == S_OK);
  CHILD_CHECK(scanner.LogString(LOG_ATTR_DETAIL, nullptr) == S_OK);
  CHILD_CHECK(scanner.LogString(LOG_ATTR_BUTTON, beyond_ascii.data()) == S_OK);
  return 0;
}

std::string InAnsiCodePage(const wchar_t* text) {
  char converted[256];
  const int size =
      WideCharToMultiByte(CP_ACP, 0, text, -1, converted, sizeof(converted), nullptr, nullptr);
  return size > 0 ? std::string(converted, size - 1) : std::string("?conversion failed?");
}

TEST(ZorvikLogMethods, LogStringWritesWantedLinesAndIsEnabledAnswersTheFilter) {
  test::TempLogFile file("ilog");
  test::ScopedLogSettings settings(
      {.enabled = 1, .filter = LOG_ATTR_TRACE, .destination = LOG_DEST_FILE, .file = file.path()});
  EXPECT_CHILD_PASSES(test::RunChild("ilog_with_trace_filtered"));
  EXPECT_EQ(
      "zorvik::Constructor\r\n"
      "host line\r\n" +
          InAnsiCodePage(L"Gr\u00fc\u00dfe \u6f22\u5b57") +
          "\r\n"
          "zorvik::Destructor\r\n",
      file.Read());
}

}  // namespace
}  // namespace zorvik
