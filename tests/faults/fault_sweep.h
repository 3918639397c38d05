// Runs rows of the fault sweep: for each, a device scripted to fail one
// toolkit call, a whole session walked on it, the outcome checked, and the
// process checked to be back where it started: no session, no toolkit
// loaded, no handle more, the device file closed, and the device's lock free
// for another thread and another process.
#pragma once

#include <vector>

#include "fault_table.h"
#include "lock_probe.h"
#include "process_footprint.h"
#include "zorvik_object.h"

namespace zorvik::test {

struct SweepFigures {
  size_t rows = 0;
  size_t failing_rows = 0;
  ProcessFootprint before;  // after a clean warm-up session
  ProcessFootprint after;
  // Over `before`, after any row: handles the platform made once, on a path
  // first taken in that row (a row that leaks fails the sweep).
  DWORD largest_handle_excess = 0;
  // The handle count every row had to end at by the last row: `before`'s,
  // plus the handles the platform made once.
  DWORD settled_handles = 0;
  double seconds = 0;
};

// Walks clean sessions first (it loads what a first session loads for
// good, such as the log's objects), then every row. Failures are reported
// through GoogleTest, each under the row's name and script.
SweepFigures RunFaultSweep(::zorvik::zorvik& scanner, const std::vector<FaultRow>& rows,
                           OtherProcessLockProbe& other_process);

}  // namespace zorvik::test
