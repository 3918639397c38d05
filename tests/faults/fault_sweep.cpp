// The fault sweep's run and checks.
#include "fault_sweep.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "../scanner/session_test_support.h"
#include "driver_error.h"
#include "session_walk.h"

namespace zorvik::test {

namespace {

// The first step of every walk opens the session.
constexpr int kOpenStep = 0;

std::string StepName(int step) {
  if (step < 0) return "none";
  const StepCalls& calls = SessionSteps()[static_cast<size_t>(step)].calls;
  return std::string(calls.point) + "/" + calls.operation;
}

}  // namespace

SweepFigures RunFaultSweep(::zorvik::zorvik& scanner, const std::vector<FaultRow>& rows,
                           OtherProcessLockProbe& other_process) {
  SweepFigures figures;
  // What stays open for good once used is opened before the baseline: the
  // debugger-output mutex the platform keeps after the first text sent
  // there, and the thread handle GoogleTest keeps once a thread has traced.
  OutputDebugStringA("");
  for (int warm_up = 0; warm_up < 2; ++warm_up) {
    SCOPED_TRACE("warm-up");
    TempDeviceFile clean;
    const WalkOutcome outcome = SessionWalk(scanner, clean.wide_path()).Run();
    EXPECT_EQ(-1, outcome.failing_step)
        << "a clean session failed at " << StepName(outcome.failing_step) << " with error code "
        << outcome.error;
    EXPECT_TRUE(DeviceLockFreeForAnotherThread(clean.path()));
    EXPECT_TRUE(other_process.DeviceLockFree(clean.path()));
  }
  figures.before = ProcessFootprint::Take();
  EXPECT_FALSE(figures.before.toolkit_loaded);
  EXPECT_NE(0u, figures.before.handles) << "no way to count handles";
  const ULONGLONG start = GetTickCount64();

  // The handle count every row must end at. The platform makes some handles
  // once, the first time a path is taken, and which row takes it first is
  // up to the timing; a leak repeats. So a row that ends above the count
  // runs once more: growing again is a leak, and otherwise the count it
  // ended at is the count from then on.
  DWORD handles = figures.before.handles;
  for (const FaultRow& row : rows) {
    SCOPED_TRACE(row.name + "\n" + row.script);
    const auto walk_row = [&] {
      TempDeviceFile device(row.script);
      const WalkOutcome outcome = SessionWalk(scanner, device.wide_path()).Run();
      EXPECT_EQ(StepName(row.failing_step), StepName(outcome.failing_step));
      if (row.failing_step >= 0) {
        EXPECT_EQ(E_FAIL, outcome.result);
        EXPECT_EQ(row.error_code, outcome.error);
      }
      EXPECT_EQ(S_OK, outcome.teardown_result);
      EXPECT_EQ(kErrNoError, outcome.teardown_error);
      // A failed open hands out no handle; every other session had one, and
      // it is refused once the session has ended.
      EXPECT_EQ(row.failing_step != kOpenStep, outcome.had_handle);
      if (outcome.had_handle) {
        EXPECT_EQ(kErrInvalidSession, outcome.stale_handle_error);
      }
      const ProcessFootprint now = ProcessFootprint::Take();
      EXPECT_EQ(0u, now.open_sessions);
      EXPECT_FALSE(now.toolkit_loaded);
      EXPECT_TRUE(device.IsClosed());
      EXPECT_TRUE(DeviceLockFreeForAnotherThread(device.path()));
      EXPECT_TRUE(other_process.DeviceLockFree(device.path()));
      return now.handles;
    };
    DWORD now = walk_row();
    if (now > handles) {
      const DWORD first = now;
      now = walk_row();
      EXPECT_EQ(first, now) << "the row leaks a handle each time it runs";
      handles = first;
    }
    EXPECT_EQ(handles, now);
    if (row.failing_step >= 0) ++figures.failing_rows;
    if (now > figures.before.handles)
      figures.largest_handle_excess =
          std::max(figures.largest_handle_excess, now - figures.before.handles);
    ++figures.rows;
  }
  figures.settled_handles = handles;
  figures.seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
  figures.after = ProcessFootprint::Take();
  return figures;
}

}  // namespace zorvik::test
