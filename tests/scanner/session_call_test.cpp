// The frame of the device operations: the checks in their order, the device
// selected before every toolkit request, and a failed request's reason.
#include <gtest/gtest.h>

#include "driver_error.h"
#include "scanner_lock.h"
#include "session_test_support.h"
#include "simulator_control.h"

namespace zorvik::test {
namespace {

class SessionCallTest : public SessionTest {};

constexpr BYTE kUntouched = 0xCC;

TEST_F(SessionCallTest, ADeviceOperationRunsOnlyOnAValidLockedSession) {
  TempDeviceFile lamp_on_device("lamp = on\n");
  TempDeviceFile failing_device("fail = GetLightStatus status 178\n");
  const OpenOutcome lamp_on = Open(lamp_on_device);
  const OpenOutcome failing = Open(failing_device);
  ASSERT_EQ(S_OK, lamp_on.result);
  ASSERT_EQ(S_OK, failing.result);

  const struct {
    const char* case_name;
    DWORD handle;
    bool lock;
    bool give_lamp_pointer;
    HRESULT result;
    DWORD error;
    BYTE lamp;
  } cases[] = {
      {"no lamp pointer", lamp_on.handle, true, false, E_POINTER, kUntouched, kUntouched},
      {"not a session", 0, false, true, E_FAIL, kErrInvalidSession, kUntouched},
      {"not locked", lamp_on.handle, false, true, E_FAIL, kErrScannerNotLocked, kUntouched},
      {"locked", lamp_on.handle, true, true, S_OK, kErrNoError, 1},
      {"toolkit fails", failing.handle, true, true, E_FAIL, kErrLampOff, kUntouched},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.case_name);
    if (c.lock) {
      ASSERT_EQ(kErrNoError, Lock(c.handle, kLockTypeThread));
    }
    BYTE lamp = kUntouched;
    DWORD error = kUntouched;
    EXPECT_EQ(c.result,
              LampStatusOperation(c.handle, c.give_lamp_pointer ? &lamp : nullptr, &error));
    EXPECT_EQ(c.error, error);
    EXPECT_EQ(c.lamp, lamp);
    if (c.lock) {
      EXPECT_EQ(kErrNoError, Unlock(c.handle));
    }
  }
  EXPECT_EQ(kErrNoError, Close(lamp_on.handle));
  EXPECT_EQ(kErrNoError, Close(failing.handle));
}

TEST_F(SessionCallTest, EveryToolkitRequestFirstSelectsTheSessionsDevice) {
  sim::SimulatorControl simulator;
  ASSERT_TRUE(simulator.loaded());
  TempDeviceFile device("fail = GetLightStatus status 3 from 2\n");
  const OpenOutcome open = Open(device);
  ASSERT_EQ(kErrNoError, Lock(open.handle, kLockTypeThread));
  BYTE lamp = 0;
  DWORD error = 0;
  for (const HRESULT expected : {S_OK, E_FAIL}) {
    simulator.JournalClear();
    EXPECT_EQ(expected, LampStatusOperation(open.handle, &lamp, &error));
    std::vector<std::string> expected_calls = {"SetIOHandle", "GetLightStatus"};
    if (FAILED(expected)) {
      EXPECT_EQ(kErrCommunicationFailure, error);
      expected_calls.insert(expected_calls.end(), {"SetIOHandle", "GetScannerStatus"});
    }
    EXPECT_EQ(expected_calls, simulator.JournalNames());
    const auto journal = simulator.Journal();
    for (const auto& call : journal) EXPECT_NE(0u, call.Device) << call.EntryPoint;
  }
  EXPECT_EQ(kErrNoError, Unlock(open.handle));

  // The last close selects the device it clears, then ends the toolkit.
  simulator.JournalClear();
  EXPECT_EQ(kErrNoError, Close(open.handle));
  EXPECT_EQ((std::vector<std::string>{"SetIOHandle", "ClearIOHandle", "TerminateDriver"}),
            simulator.JournalNames());
}

TEST_F(SessionCallTest, TheFirstOpenBringsTheDeviceUpInOrder) {
  sim::SimulatorControl simulator;
  ASSERT_TRUE(simulator.loaded());
  simulator.JournalClear();
  const OpenOutcome open = Open(nullptr);
  EXPECT_EQ((std::vector<std::string>{"SetIOHandle", "InitializeDriver", "InitializeScanner",
                                      "InitialButton", "GetScannerAbilityEx"}),
            simulator.JournalNames());
  simulator.JournalClear();
  const OpenOutcome again = Open(nullptr);
  EXPECT_EQ(open.handle, again.handle);
  EXPECT_TRUE(simulator.JournalNames().empty());
  EXPECT_EQ(kErrNoError, Close(open.handle));
  EXPECT_EQ(kErrNoError, Close(open.handle));
}

}  // namespace
}  // namespace zorvik::test
