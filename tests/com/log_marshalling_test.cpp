// ILog called through a proxy from another apartment: the calls reach the
// ZORVIK object with their strings intact and the answers come back.  Runs in
// a child process, since the log settings are read once per process.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>

#include "child_checks.h"
#include "child_process.h"
#include "com_apartment.h"
#include "log_bits.h"
#include "log_settings_scope.h"
#include "log_test_files.h"
#include "scanner_in_other_apartment.h"
#include "scoped_registration.h"
#include "zorvik.h"
#include "zorvik_module.h"

using Microsoft::WRL::ComPtr;

namespace zorvik {
namespace {

// Long enough to cross several marshalling buffers' worth of small strings,
// with characters beyond ASCII that the ANSI code page still has.
std::wstring HostLine() {
  std::wstring line = L"host line \u00e9\u00e8\u00fc\u00df:";
  while (line.size() < 3000) line += L" 0123456789";
  return line;
}

std::string InAnsiCodePage(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string converted(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, converted.data(), size, nullptr, nullptr);
  converted.resize(converted.size() - 1);
  return converted;
}

ZORVIK_CHILD_ROLE(ilog_across_apartments) {
  ComApartment apartment(COINIT_APARTMENTTHREADED);
  CHILD_CHECK(apartment.ok());
  HRESULT asked_log = E_FAIL, logged = E_FAIL, asked_wanted = E_FAIL, asked_filtered = E_FAIL;
  BYTE wanted = 0xCC, filtered = 0xCC;
  const bool called = test::CallScannerFromOtherApartment([&](IScanner* proxy) {
    ComPtr<ILog> log;
    asked_log = proxy->QueryInterface(IID_PPV_ARGS(&log));
    if (FAILED(asked_log)) return;
    std::wstring line = HostLine();
    logged = log->LogString(LOG_ATTR_DETAIL, line.data());
    asked_wanted = log->IsEnabled(LOG_ATTR_DETAIL, &wanted);
    asked_filtered = log->IsEnabled(LOG_ATTR_TRACE, &filtered);
  });
  CHILD_CHECK(called);
  CHILD_CHECK(asked_log == S_OK);
  CHILD_CHECK(logged == S_OK);
  CHILD_CHECK(asked_wanted == S_OK && wanted == 1);
  CHILD_CHECK(asked_filtered == S_OK && filtered == 0);
  return 0;
}

TEST(LogMarshalling, ILogCallsThroughAProxyReachTheObjectIntact) {
  ComApartment apartment;
  test::ZorvikModule module;
  ASSERT_TRUE(module.loaded());
  test::ScopedRegistration registration(module);
  ASSERT_EQ(S_OK, registration.result());
  test::TempLogFile file("ilog_marshalling");
  test::ScopedLogSettings settings(
      {.enabled = 1, .filter = LOG_ATTR_TRACE, .destination = LOG_DEST_FILE, .file = file.path()});

  EXPECT_CHILD_PASSES(test::RunChild("ilog_across_apartments"));
  EXPECT_EQ("zorvik::Constructor\r\n" + InAnsiCodePage(HostLine()) + "\r\nzorvik::Destructor\r\n",
            file.Read());
}

}  // namespace
}  // namespace zorvik
