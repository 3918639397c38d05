// The fixture of the device-operation suites: sessions on simulated scanners
// described for the test, opened and locked by the calling thread, with the
// simulator's journal at hand to see what reached the toolkit.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "session_test_support.h"
#include "simulator_control.h"
#include "toolkit_records.h"

namespace zorvik::test {

// What the toolkit received through every call of one entry point, in order.
std::vector<sim::SIM_JOURNAL_ENTRY> JournalCallsOf(const sim::SimulatorControl& simulator,
                                                   const char* entry_point);

// The record the last SetScanParameter call in the journal carried.
TOOLKIT_SCAN_PARAMETER LastScanParameterSent(const sim::SimulatorControl& simulator);

// 256 entries of `first`, `first` + 1, ... (mod 256).
std::vector<BYTE> RampTable(BYTE first);

class DeviceOperationTest : public SessionTest {
 protected:
  void SetUp() override;
  // Closes every session still open.
  void TearDown() override;

  // Opens a scanner described by `description` (docs/simulator.md) and takes
  // its THREAD lock; the journal is emptied afterwards.
  DWORD OpenLocked(const std::string& description = "");
  // The same without the lock.
  DWORD OpenUnlocked(const std::string& description = "");
  // Unlocks and closes every session the test opened. The device lock of one
  // session excludes every other session of the process, so a table of cases
  // that each open a device closes them after each case.
  void CloseSessions();

  sim::SimulatorControl simulator_;

 private:
  std::vector<std::unique_ptr<TempDeviceFile>> devices_;
  std::vector<DWORD> handles_;
};

}  // namespace zorvik::test
