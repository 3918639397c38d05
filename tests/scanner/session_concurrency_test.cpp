// Sessions used by several threads at once: a second open that arrives while
// the first is still setting the device up, and a last close that races
// calls on the same session.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "child_checks.h"
#include "child_process.h"
#include "driver_error.h"
#include "log_settings.h"
#include "open_timing.h"
#include "scanner_lock.h"
#include "session_table.h"
#include "session_test_support.h"
#include "simulator_control.h"

namespace zorvik::test {
namespace {

class SessionConcurrencyTest : public SessionTest {};

constexpr DWORD kBoundMs = 10000;

// A settings key that does not exist: logging stays off in the process.
constexpr CLSID kLoggingOffClass = {
    0x9c41e0d7, 0x2f86, 0x4a3b, {0x8d, 0x57, 0x61, 0xa0, 0x3e, 0xc2, 0x19, 0x74}};

// The second open, started from inside the first open's retry pause, so it
// certainly arrives during the set-up.
struct SecondOpen {
  std::wstring path;
  std::string name;
  std::thread thread;
  OpenOutcome outcome{E_UNEXPECTED, 0xDEADBEEF, 0xDEADBEEF};
  bool counted = false;
};
SecondOpen* g_second_open = nullptr;

void StartSecondOpenDuringPause(uint32_t) {
  SecondOpen& second = *g_second_open;
  if (second.thread.joinable()) return;
  second.thread = std::thread([&second] {
    ::zorvik::zorvik other;
    second.outcome.result = other.OpenScannerSession(second.path.data(), 1, &second.outcome.handle,
                                                     &second.outcome.error);
  });
  // Go on once the second open is counted, so that it is waiting for us.
  for (DWORD waited = 0; waited < kBoundMs && !second.counted; ++waited) {
    second.counted = CSessionTable::Instance().OpenCount(second.name.c_str()) == 2;
    if (!second.counted) Sleep(1);
  }
}

TEST_F(SessionConcurrencyTest, ASecondOpenDuringTheSetUpSharesItsOutcome) {
  const struct {
    const char* case_name;
    const char* description;
    HRESULT result;
    DWORD error;
  } cases[] = {
      {"set-up fails", "fail = InitializeScanner status 176", E_FAIL, kErrCarriageNotHome},
      {"set-up succeeds", "fail = InitializeScanner status 3 times 1", S_OK, kErrNoError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.case_name);
    TempDeviceFile device(c.description);
    SecondOpen second;
    second.path = device.wide_path();
    second.name = device.path();
    g_second_open = &second;
    SetRetryPauseForTesting(StartSecondOpenDuringPause);
    const OpenOutcome first = Open(device);
    second.thread.join();
    g_second_open = nullptr;
    ASSERT_TRUE(second.counted);

    EXPECT_EQ(c.result, first.result);
    EXPECT_EQ(c.error, first.error);
    EXPECT_EQ(c.result, second.outcome.result);
    EXPECT_EQ(c.error, second.outcome.error);
    EXPECT_EQ(first.handle, second.outcome.handle);
    if (SUCCEEDED(c.result)) {
      EXPECT_NE(0u, first.handle);
      EXPECT_EQ(2, CSessionTable::Instance().OpenCount(device.path().c_str()));
      EXPECT_EQ(kErrNoError, Close(first.handle));
      EXPECT_EQ(kErrNoError, Close(first.handle));
    } else {
      EXPECT_EQ(0u, first.handle);
      EXPECT_EQ(0u, CSessionTable::Instance().SessionCount());
      EXPECT_TRUE(DeviceLockFree(device.path()));
      EXPECT_FALSE(ToolkitLoaded());
    }
    EXPECT_TRUE(device.IsClosed());
  }
}

// One round of calls on a session from several threads while the main
// thread makes its last close. The lock holder's THREAD lock is not the
// closer's to give back, so its device calls go on reaching the toolkit while
// the close runs; the contenders churn the session's lock. Every call must
// either work on the whole session or find it gone, and the device must be
// ended only after the last of them. Returns the failed check's line, or 0.
int RaceCallsWithTheLastClose(const TempDeviceFile& device,
                              const sim::SimulatorControl& simulator) {
  constexpr int kContenders = 2;
  // The threads call until they find the session gone, for at most this
  // long: a bound on calls instead ran out before the close on a loaded
  // machine, where a call takes half a microsecond and starting a thread
  // tens of milliseconds.
  const auto within_bound = [start = GetTickCount64()] {
    return GetTickCount64() - start < kBoundMs;
  };
  ::zorvik::zorvik closer;
  std::wstring path = device.wide_path();
  DWORD handle = 0, error = 0;
  CHILD_CHECK(closer.OpenScannerSession(path.data(), 1, &handle, &error) == S_OK);
  simulator.JournalClear();

  std::atomic<int> running{0};
  const auto wait_running = [&](int count) {
    for (DWORD waited = 0; running < count && waited < kBoundMs; ++waited) Sleep(1);
  };
  std::set<DWORD> holder_codes;
  std::vector<std::set<DWORD>> contender_codes(kContenders);
  std::vector<std::thread> threads;
  threads.emplace_back([&] {
    ::zorvik::zorvik holder;
    DWORD code = 0;
    holder.LockScanner(handle, kLockTypeThread, kBoundMs, &code);
    holder_codes.insert(code);
    for (int i = 0; within_bound() && code != kErrInvalidSession; ++i) {
      BYTE lamp = 0;
      LampStatusOperation(handle, &lamp, &code);
      holder_codes.insert(code);
      if (i == 0) ++running;
    }
    // The session is gone with its lock still held: ending the session gives
    // the lock's semaphores back.
    holder.UnlockScanner(handle, &code);
    holder_codes.insert(code);
  });
  wait_running(1);
  for (std::set<DWORD>& codes : contender_codes) {
    threads.emplace_back([&] {
      ::zorvik::zorvik contender;
      for (int i = 0; within_bound(); ++i) {
        BYTE lamp = 0;
        DWORD lock_error = 0, unlock_error = 0, lamp_error = 0;
        contender.LockScanner(handle, kLockTypeThread, 0, &lock_error);
        contender.UnlockScanner(handle, &unlock_error);
        LampStatusOperation(handle, &lamp, &lamp_error);
        codes.insert({lock_error, unlock_error, lamp_error});
        if (i == 0) ++running;
        if (lock_error == kErrInvalidSession && lamp_error == kErrInvalidSession) break;
      }
    });
  }
  wait_running(1 + kContenders);
  const HRESULT closed = closer.CloseScannerSession(handle, &error);
  for (std::thread& thread : threads) thread.join();

  CHILD_CHECK(closed == S_OK && error == kErrNoError);
  CHILD_CHECK((holder_codes == std::set<DWORD>{kErrNoError, kErrInvalidSession}));
  for (const std::set<DWORD>& codes : contender_codes) {
    CHILD_CHECK(codes.count(kErrInvalidSession) == 1);
    for (DWORD code : codes) {
      CHILD_CHECK(code == kErrInvalidSession || code == kErrScannerNotLocked ||
                  code == kErrScannerLockFailed);
    }
  }
  // No toolkit call after the device ended.
  const std::vector<std::string> calls = simulator.JournalNames();
  CHILD_CHECK(!calls.empty() && calls.back() == "TerminateDriver");
  CHILD_CHECK(std::count(calls.begin(), calls.end(), "ClearIOHandle") == 1);
  CHILD_CHECK(device.IsClosed());
  CHILD_CHECK(DeviceLockFree(device.path()));
  CHILD_CHECK(CSessionTable::Instance().SessionCount() == 0);
  return 0;
}

// Without logging, a call spends its time in the session rather than in the
// log, which widens the race the rounds are meant to hit.
ZORVIK_CHILD_ROLE(close_race) {
  CLogSettings::Instance(kLoggingOffClass);
  sim::SimulatorControl simulator;
  CHILD_CHECK(simulator.loaded());
  TempDeviceFile device;
  constexpr int kRounds = 40;
  for (int round = 0; round < kRounds; ++round) {
    if (const int failed_line = RaceCallsWithTheLastClose(device, simulator)) return failed_line;
  }
  return 0;
}

TEST_F(SessionConcurrencyTest, ALastCloseRacingCallsEndsTheDeviceAfterThem) {
  EXPECT_CHILD_PASSES(RunChild("close_race"));
}

}  // namespace
}  // namespace zorvik::test
