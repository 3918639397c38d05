// Every toolkit call the component makes, failing at its point of a whole
// session: the host sees the right result and error code, and the process
// is left as it was. Here each call fails with one class of status (the
// classes rotate over the calls); the reliability suite runs every class at
// every call.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "../scanner/session_test_support.h"
#include "fault_sweep.h"
#include "process_footprint.h"
#include "session_walk.h"
#include "simulator_control.h"

namespace zorvik::test {
namespace {

class FaultSweepTest : public SessionTest {};

// The sweep only covers what its steps declare: a clean session must make
// exactly the toolkit calls the steps name, in their order, so a call the
// component starts making is not silently left out of the sweep.
TEST_F(FaultSweepTest, StepsNameEveryToolkitCallOfACleanSession) {
  std::vector<std::string> declared;
  for (const StepCalls& step : SessionStepCalls()) {
    for (const ToolkitCall& call : step.calls) {
      if (call.form != FaultForm::kReturnsZero) continue;
      if (std::strcmp(call.entry_point, "SetIOHandle") == 0) continue;
      for (uint32_t i = 0; i < call.calls_on_success; ++i) declared.push_back(call.entry_point);
    }
  }
  std::vector<std::string> made;
  {
    sim::SimulatorControl simulator;
    ASSERT_TRUE(simulator.loaded());
    simulator.Reset();
    TempDeviceFile device;
    EXPECT_EQ(-1, SessionWalk(scanner_, device.wide_path()).Run().failing_step);
    for (const std::string& name : simulator.JournalNames()) {
      // Every step selects its device first; the sweep fails it for good.
      if (name != "SetIOHandle") made.push_back(name);
    }
  }
  EXPECT_EQ(declared, made);
}

// The leak checks count handles; the count must see one handle come and go.
TEST(ProcessFootprintTest, HandleCountSeesAHandleOpenedAndClosed) {
  const DWORD before = ProcessHandleCount();
  ASSERT_NE(0u, before) << "no way to count handles";
  DWORD while_open = 0;
  {
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event.valid());
    while_open = ProcessHandleCount();
  }
  EXPECT_EQ(before + 1, while_open) << "counted by " << HandleCountSource();
  EXPECT_EQ(before, ProcessHandleCount());
}

TEST_F(FaultSweepTest, EachCallFailingIsReportedAndLeavesNothingBehind) {
  const std::vector<FaultRow> rows = GenerateFaultRows(SessionStepCalls(), true);
  std::set<std::string> classes;
  for (const FaultRow& row : rows) classes.insert(row.status_class);
  EXPECT_EQ(StatusClasses().size(), classes.size()) << "a status class is never used";

  OtherProcessLockProbe other_process;
  ASSERT_TRUE(other_process.started());
  const SweepFigures figures = RunFaultSweep(scanner_, rows, other_process);
  EXPECT_EQ(rows.size(), figures.rows);
  EXPECT_EQ(figures.settled_handles, figures.after.handles);
}

}  // namespace
}  // namespace zorvik::test
