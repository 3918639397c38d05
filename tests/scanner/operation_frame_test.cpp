// Every device operation refuses, in the same order and without reaching the
// toolkit, a call that has no error-code pointer, no session or no lock; and
// every one is traced under its own label.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "device_operations_table.h"
#include "device_test_support.h"
#include "driver_error.h"

namespace zorvik::test {
namespace {

class OperationFrameTest : public DeviceOperationTest {};

TEST_F(OperationFrameTest, RefusedCallsNeverReachTheToolkit) {
  const DWORD unlocked = OpenUnlocked();
  const OpenOutcome ended = Open(nullptr);
  ASSERT_EQ(S_OK, ended.result);
  EXPECT_EQ(kErrNoError, Close(ended.handle));
  const struct {
    const char* case_name;
    DWORD handle;
    bool give_error_pointer;
    HRESULT result;
    DWORD error;
  } cases[] = {
      {"no error-code pointer", unlocked, false, E_POINTER, 0xDEADBEEF},
      {"handle 0", 0, true, E_FAIL, kErrInvalidSession},
      {"closed session", ended.handle, true, E_FAIL, kErrInvalidSession},
      {"lock not held", unlocked, true, E_FAIL, kErrScannerNotLocked},
  };
  for (const DeviceOperation& operation : DeviceOperations()) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(operation.label) + ", " + c.case_name);
      simulator_.JournalClear();
      DWORD error = 0xDEADBEEF;
      EXPECT_EQ(c.result,
                operation.call(scanner_, c.handle, c.give_error_pointer ? &error : nullptr));
      EXPECT_EQ(c.error, error);
      EXPECT_TRUE(simulator_.JournalNames().empty()) << "not even SetIOHandle";
    }
  }
}

TEST_F(OperationFrameTest, TheLockOfAnotherThreadDoesNotCount) {
  const DWORD handle = OpenLocked();
  for (const DeviceOperation& operation : DeviceOperations()) {
    SCOPED_TRACE(operation.label);
    HRESULT result = S_OK;
    DWORD error = 0;
    std::thread other([&] { result = operation.call(scanner_, handle, &error); });
    other.join();
    EXPECT_EQ(E_FAIL, result);
    EXPECT_EQ(kErrScannerNotLocked, error);
  }
  EXPECT_TRUE(simulator_.JournalNames().empty());
}

TEST_F(OperationFrameTest, EachCallIsTracedUnderItsLabel) {
  const DWORD handle = OpenLocked();
  for (const DeviceOperation& operation : DeviceOperations()) {
    SCOPED_TRACE(operation.label);
    const size_t mark = LogMark();
    DWORD error = 0;
    const HRESULT result = operation.call(scanner_, handle, &error);
    const std::string log = LogSince(mark);
    EXPECT_NE(std::string::npos, log.find("+++" + std::string(operation.label) + " : ")) << log;
    EXPECT_NE(std::string::npos, log.find("---" + std::string(operation.label) +
                                          (result == S_OK ? " Returned 0x0" : " ERROR:")))
        << log;
  }
}

}  // namespace
}  // namespace zorvik::test
