// Every toolkit call the component makes, failing with every class of status
// at its point of a whole session, each followed by the check that the
// process is back where it started.
#include <gtest/gtest.h>

#include "../scanner/session_test_support.h"
#include "fault_sweep.h"
#include "session_walk.h"
#include "stress_size.h"

namespace zorvik::test {
namespace {

class FaultSweepStressTest : public SessionTest {};

TEST_F(FaultSweepStressTest, EveryCallFailingWithEveryStatusClassLeavesNothingBehind) {
  const std::vector<FaultRow> table = GenerateFaultRows(SessionStepCalls(), false);
  // The CI run takes the table once; the long run repeats it, each pass with
  // the next statuses of every class.
  const size_t passes = StressCount(1, 3);
  std::vector<FaultRow> rows;
  for (size_t pass = 0; pass < passes; ++pass) {
    const std::vector<FaultRow> next = GenerateFaultRows(SessionStepCalls(), false, pass);
    rows.insert(rows.end(), next.begin(), next.end());
  }
  OtherProcessLockProbe other_process;
  ASSERT_TRUE(other_process.started());
  const SweepFigures figures = RunFaultSweep(scanner_, rows, other_process);

  ReportFigure("toolkit faults", std::to_string(figures.rows) + " sessions, " +
                                     std::to_string(figures.failing_rows) +
                                     " with a failing call (" + std::to_string(table.size()) +
                                     " rows of entry point x status class x session point, " +
                                     std::to_string(passes) + " pass(es)), " +
                                     std::to_string(figures.seconds) + " s");
  ReportFigure("toolkit faults",
               "handles " + Change(figures.before.handles, figures.after.handles) +
                   ", largest excess after a row " + std::to_string(figures.largest_handle_excess) +
                   "; after every row: no session, KELMARTK.DLL unloaded, device file closed, "
                   "lock free for another thread and another process");
}

}  // namespace
}  // namespace zorvik::test
