// The device-operation fixture: sessions on described scanners, and what
// the journal says reached the toolkit.
#include "device_test_support.h"

#include <cstring>

#include "driver_error.h"
#include "scanner_lock.h"

namespace zorvik::test {

std::vector<sim::SIM_JOURNAL_ENTRY> JournalCallsOf(const sim::SimulatorControl& simulator,
                                                   const char* entry_point) {
  std::vector<sim::SIM_JOURNAL_ENTRY> calls;
  for (const sim::SIM_JOURNAL_ENTRY& entry : simulator.Journal()) {
    if (std::strcmp(entry.EntryPoint, entry_point) == 0) calls.push_back(entry);
  }
  return calls;
}

TOOLKIT_SCAN_PARAMETER LastScanParameterSent(const sim::SimulatorControl& simulator) {
  TOOLKIT_SCAN_PARAMETER record;
  std::memset(&record, 0xEE, sizeof record);
  const auto calls = JournalCallsOf(simulator, "SetScanParameter");
  if (calls.empty() || calls.back().DataSize != sizeof record) {
    ADD_FAILURE() << "no 44-byte SetScanParameter record in the journal";
    return record;
  }
  std::memcpy(&record, calls.back().Data, sizeof record);
  return record;
}

std::vector<BYTE> RampTable(BYTE first) {
  std::vector<BYTE> table(256);
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<BYTE>(first + i);
  return table;
}

void DeviceOperationTest::SetUp() {
  SessionTest::SetUp();
  ASSERT_TRUE(simulator_.loaded());
  simulator_.Reset();
}

void DeviceOperationTest::TearDown() {
  CloseSessions();
  SessionTest::TearDown();
}

void DeviceOperationTest::CloseSessions() {
  for (const DWORD handle : handles_) {
    DWORD error = 0;
    scanner_.UnlockScanner(handle, &error);
    EXPECT_EQ(kErrNoError, Close(handle));
  }
  handles_.clear();
  devices_.clear();
}

DWORD DeviceOperationTest::OpenUnlocked(const std::string& description) {
  devices_.push_back(std::make_unique<TempDeviceFile>(description));
  const OpenOutcome open = Open(*devices_.back());
  EXPECT_EQ(S_OK, open.result) << "open failed with error code " << open.error;
  if (open.result == S_OK) handles_.push_back(open.handle);
  simulator_.JournalClear();
  return open.handle;
}

DWORD DeviceOperationTest::OpenLocked(const std::string& description) {
  const DWORD handle = OpenUnlocked(description);
  EXPECT_EQ(kErrNoError, Lock(handle, kLockTypeThread));
  simulator_.JournalClear();
  return handle;
}

}  // namespace zorvik::test
