// A first open that fails at any of its steps reports that step's error code
// and leaves nothing behind: no session, a free lock, the toolkit unloaded
// and the device file closed. Also the InitializeScanner retries and their
// log lines.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "driver_error.h"
#include "open_timing.h"
#include "session_table.h"
#include "session_test_support.h"

namespace zorvik::test {
namespace {

class OpenFailureTest : public SessionTest {};

// Holds the named semaphore of a device, as another process holding the
// device's lock would.
class HeldDeviceSemaphore {
 public:
  explicit HeldDeviceSemaphore(const std::string& device_path)
      : semaphore_(CreateSemaphoreA(nullptr, 1, 1,
                                    device_path.substr(device_path.rfind('\\') + 1).c_str())) {
    held_ = WaitForSingleObject(semaphore_.get(), 0) == WAIT_OBJECT_0;
  }
  ~HeldDeviceSemaphore() {
    if (held_) ReleaseSemaphore(semaphore_.get(), 1, nullptr);
  }
  bool held() const { return held_; }

 private:
  UniqueHandle semaphore_;
  bool held_ = false;
};

TEST_F(OpenFailureTest, EachFailingStepReportsItsCodeAndLeavesNothingBehind) {
  const struct {
    const char* step;
    const char* description;  // null: no device file at the path
    DWORD io_type;
    bool lock_held_elsewhere;
    DWORD error;
  } cases[] = {
      {"device lock", "", 1, true, kErrScannerLockFailed},
      {"toolkit", "", 2, false, kErrToolkitOpenFailure},
      {"device file", nullptr, 1, false, kErrScannerNotFound},
      {"InitializeDriver", "fail = InitializeDriver status 156", 1, false,
       kErrCommunicationFailure},
      {"InitializeScanner", "fail = InitializeScanner status 176", 1, false, kErrCarriageNotHome},
      {"InitialButton", "fail = InitialButton status 178", 1, false, kErrLampOff},
      {"GetScannerAbilityEx", "fail = GetScannerAbilityEx status 7", 1, false,
       kErrCalibrationFailed},
      // What the toolkit's status maps to, through a real failing call.
      {"status 0", "fail = InitializeDriver status 0", 1, false, kErrNoError},
      {"status 2", "fail = InitializeDriver status 2", 1, false, kErrScannerNotFound},
      {"status 200", "fail = InitializeDriver status 200", 1, false, kErrInvalidParameter},
      {"no status", "fail = InitializeDriver status 3\nfail = GetScannerStatus status 3", 1, false,
       kErrUnknownToolkitError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    TempDeviceFile device(c.description != nullptr ? c.description : "");
    if (c.description == nullptr) DeleteFileA(device.path().c_str());
    {
      std::optional<HeldDeviceSemaphore> held_elsewhere;
      if (c.lock_held_elsewhere) {
        ASSERT_TRUE(held_elsewhere.emplace(device.path()).held());
      }
      const size_t mark = LogMark();
      const OpenOutcome outcome = Open(device, c.io_type);
      EXPECT_EQ(E_FAIL, outcome.result);
      EXPECT_EQ(c.error, outcome.error);
      EXPECT_EQ(0u, outcome.handle);
      // The undo is traced as the close it amounts to, inside the open,
      // whose exit line names the failure.
      const std::string log = LogSince(mark);
      const size_t undo = log.find("     +++zorvik::CloseScannerSession : SessionID=0x");
      const size_t exit = log.find(
          "---zorvik::OpenScannerSession ERROR: Returned 0x80004005, "
          "LarkspurError=" +
          std::string(DriverErrorName(c.error)) + " (" + Hex(c.error) + ")");
      EXPECT_NE(std::string::npos, undo) << log;
      EXPECT_NE(std::string::npos, exit) << log;
      EXPECT_LT(undo, exit);
    }
    EXPECT_EQ(0u, CSessionTable::Instance().SessionCount());
    EXPECT_TRUE(DeviceLockFree(device.path()));
    EXPECT_FALSE(ToolkitLoaded());
    if (c.description != nullptr) {
      EXPECT_TRUE(device.IsClosed());
    }
  }
}

TEST_F(OpenFailureTest, InitializeScannerIsAskedUpToTenTimesWithAPauseBetween) {
  const std::string kFirstFailed = "First call to InitializeScanner() failed, trying again";
  const auto attempts = [&](int last) {
    std::vector<std::string> lines = {kFirstFailed};
    for (int attempt = 2; attempt <= last; ++attempt)
      lines.push_back("IntializeScanner() attempt #" + std::to_string(attempt));
    return lines;
  };
  const struct {
    const char* case_name;
    const char* description;
    HRESULT result;
    DWORD error;
    int last_attempt;
  } cases[] = {
      {"fails once", "fail = InitializeScanner status 3 times 1", S_OK, kErrNoError, 2},
      {"fails for good", "fail = InitializeScanner status 176", E_FAIL, kErrCarriageNotHome, 10},
      // Only an answer of exactly 1 ends the retries early; another non-zero
      // last answer still counts as success.
      {"answers 2", "fail = InitializeScanner status 3 times 1\nresult = InitializeScanner 2", S_OK,
       kErrNoError, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.case_name);
    ClearRecordedPauses();
    TempDeviceFile device(c.description);
    const size_t mark = LogMark();
    const OpenOutcome outcome = Open(device);
    EXPECT_EQ(c.result, outcome.result);
    EXPECT_EQ(c.error, outcome.error);
    EXPECT_EQ(std::vector<uint32_t>(c.last_attempt - 1, kInitializeRetryPauseMs), RecordedPauses());
    const std::string log = LogSince(mark);
    EXPECT_TRUE(HasLinesInOrder(log, attempts(c.last_attempt)));
    EXPECT_EQ(std::string::npos, log.find("attempt #" + std::to_string(c.last_attempt + 1) + "\n"));
    if (SUCCEEDED(outcome.result)) {
      EXPECT_EQ(kErrNoError, Close(outcome.handle));
    }
    EXPECT_EQ(0u, CSessionTable::Instance().SessionCount());
  }
}

}  // namespace
}  // namespace zorvik::test
