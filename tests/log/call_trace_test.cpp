// Call traces as they reach the log file, with a fixed clock, time and
// identities: headers, nesting, results, error codes and elapsed times.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "com_apartment.h"
#include "call_trace.h"
#include "child_checks.h"
#include "child_process.h"
#include "log_settings.h"
#include "log_settings_scope.h"
#include "log_test_files.h"
#include "sample_trace_time.h"
#include "logger.h"
#include "trace_depth.h"
#include "trace_environment.h"
#include "zorvik.h"

namespace zorvik {
namespace {

uint32_t g_tick = 0;
uint32_t g_thread_id = 0x9c8;
int g_environment_reads = 0;

uint32_t FakeTickCount() {
  ++g_environment_reads;
  return g_tick;
}
uint32_t FakeProcessId() {
  ++g_environment_reads;
  return 0x1f4;
}
uint32_t FakeThreadId() {
  ++g_environment_reads;
  return g_thread_id;
}
void FakeLocalTime(std::tm* now) {
  ++g_environment_reads;
  *now = test::SampleTraceTime();
}

// Every trace child starts like this: settings read, fake environment in.
bool StartTraceChild() {
  TraceEnvironmentForTesting() = {FakeTickCount, FakeProcessId, FakeThreadId, FakeLocalTime};
  return CLogSettings::Instance(CLSID_ZORVIK) != nullptr;
}

class CallTraceTest : public testing::Test {
 protected:
  test::TempLogFile file_{"trace"};
};

ZORVIK_CHILD_ROLE(trace_sequence) {
  ComApartment com(COINIT_MULTITHREADED);
  CHILD_CHECK(StartTraceChild());
  DWORD code = 99;
  {
    g_tick = 1000;
    CCallTrace trace("zorvik::StartScan", 3, &code, 0);
    code = 0;
    g_tick = 1015;
    trace = S_OK;
  }
  {
    g_tick = 2000;
    CCallTrace outer("zorvik::LampOn", 0, &code, 0);
    code = 0;
    CHILD_CHECK(CurrentTraceDepth() == 1);
    CLogger(LOG_ATTR_DETAIL).WriteLine("detail of LampOn");
    {
      CCallTrace inner("CScannerLock::Lock", 0, nullptr, LOG_ATTR_LOCK);
      CHILD_CHECK(CurrentTraceDepth() == 2);
      g_tick = 2003;
      inner = S_OK;
    }
    code = 4;
    outer = E_FAIL;
    CHILD_CHECK(outer == E_FAIL);
    g_tick = 2010;
  }
  {
    // Another thread, a tick counter about to wrap, and the early E_POINTER
    // return of a method whose error-code pointer is null: nothing stored.
    g_thread_id = 0xabc;
    g_tick = 0xFFFFFFF0;
    CCallTrace trace("zorvik::GetLampStatus", 0x10, nullptr, 0);
    g_tick = 0x10;
  }
  CHILD_CHECK(CurrentTraceDepth() == 0);
  return 0;
}

TEST_F(CallTraceTest, HeadersNestingResultsAndElapsedTimesAsStored) {
  test::ScopedLogSettings settings(
      {.enabled = 1, .destination = LOG_DEST_FILE, .file = file_.path()});
  EXPECT_CHILD_PASSES(test::RunChild("trace_sequence"));
  EXPECT_EQ(
      "\r\n!!!! Process ID = 0x1f4 !!!!\r\n"
      "\r\n&&&& Thread ID = 0x9c8 &&&&\r\n"
      "\r\n+++zorvik::StartScan : SessionID=0x3 : Sat Dec 05 01:38:57 2026\r\n"
      "---zorvik::StartScan Returned 0x0, LarkspurError=No Error (0): Elapsed Time = 15 MS\r\n"
      "\r\n"
      "\r\n+++zorvik::LampOn : Sat Dec 05 01:38:57 2026\r\n"
      "     detail of LampOn\r\n"
      "\r\n     +++CScannerLock::Lock : Sat Dec 05 01:38:57 2026\r\n"
      "     ---CScannerLock::Lock Returned 0x0: Elapsed Time = 3 MS\r\n"
      "\r\n"
      "---zorvik::LampOn ERROR: Returned 0x80004005, LarkspurError=Scanner Not Locked (4): "
      "Elapsed Time = 10 MS\r\n"
      "\r\n"
      "\r\n&&&& Thread ID = 0xabc &&&&\r\n"
      "\r\n+++zorvik::GetLampStatus : SessionID=0x10 : Sat Dec 05 01:38:57 2026\r\n"
      "---zorvik::GetLampStatus Returned 0x0: Elapsed Time = 32 MS\r\n"
      "\r\n",
      file_.Read());
}

ZORVIK_CHILD_ROLE(trace_failures_under_a_filter) {
  ComApartment com(COINIT_MULTITHREADED);
  CHILD_CHECK(StartTraceChild());
  DWORD code = 0;
  {
    CCallTrace trace("zorvik::LampOn", 0, &code, 0);
    code = 4;
    trace = E_FAIL;
  }
  {
    CCallTrace trace("zorvik::GetButtonCount", 0, &code, LOG_ATTR_BUTTON);
    code = 4;
    trace = E_FAIL;
  }
  return 0;
}

// A category that the filter lets through shows its failures; a filtered
// category shows nothing, failed or not.
TEST_F(CallTraceTest, AFailedCallsExitLineFollowsItsEntryLine) {
  test::ScopedLogSettings settings({.enabled = 1,
                                    .filter = LOG_ATTR_BUTTON,
                                    .destination = LOG_DEST_FILE,
                                    .file = file_.path()});
  EXPECT_CHILD_PASSES(test::RunChild("trace_failures_under_a_filter"));
  EXPECT_EQ(
      "\r\n!!!! Process ID = 0x1f4 !!!!\r\n"
      "\r\n&&&& Thread ID = 0x9c8 &&&&\r\n"
      "\r\n+++zorvik::LampOn : Sat Dec 05 01:38:57 2026\r\n"
      "---zorvik::LampOn ERROR: Returned 0x80004005, LarkspurError=Scanner Not Locked (4): "
      "Elapsed Time = 0 MS\r\n"
      "\r\n",
      file_.Read());
}

ZORVIK_CHILD_ROLE(trace_while_disabled) {
  ComApartment com(COINIT_MULTITHREADED);
  CHILD_CHECK(StartTraceChild());
  DWORD code = 0;
  {
    CCallTrace outer("zorvik::StartScan", 3, &code, 0);
    CHILD_CHECK(CurrentTraceDepth() == 1);
    {
      CCallTrace inner("CScannerLock::Lock", 0, nullptr, LOG_ATTR_LOCK);
      CHILD_CHECK(CurrentTraceDepth() == 2);
      inner = E_FAIL;
      CHILD_CHECK(inner == E_FAIL);
    }
    CHILD_CHECK(CurrentTraceDepth() == 1);
  }
  CHILD_CHECK(CurrentTraceDepth() == 0);
  CHILD_CHECK(g_environment_reads == 0);  // no clock, no time: nothing formatted
  return 0;
}

TEST_F(CallTraceTest, WhileLoggingIsOffTheDepthStillCountsAndNothingIsFormatted) {
  test::ScopedLogSettings no_settings;
  EXPECT_CHILD_PASSES(test::RunChild("trace_while_disabled"));
}

}  // namespace
}  // namespace zorvik
