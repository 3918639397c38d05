// The component under a toolkit that, like the vendor's, keeps one device
// selection for the whole process: threads and sessions racing each other
// must never send a request to a device other than the one it was selected
// for, never overlap two requests on one device, never let a session or
// process that waits for the device find it half-ended, and never send a
// gamma table half old and half new.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "../scanner/scan_parameter_row.h"
#include "../scanner/session_test_support.h"
#include "driver_error.h"
#include "open_timing.h"
#include "scanner_lock.h"
#include "simulator_control.h"
#include "stress_size.h"

namespace zorvik::test {
namespace {

constexpr DWORD kLockTimeoutMs = 20000;

// Two device names for one file, "<folder>\\<name>" and "<folder>\\.\\<name>":
// two sessions for the component, one device file and one device lock.
std::vector<std::wstring> TwoNamesForOneFile(const TempDeviceFile& device) {
  const std::wstring path = device.wide_path();
  const size_t name_start = path.find_last_of(L'\\');
  return {path, path.substr(0, name_start) + L"\\." + path.substr(name_start)};
}

class SelectionStressTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    // Opens wait for each other's locks: the product's own open time-out.
    SetOpenLockTimeoutForTesting(0);
    ASSERT_TRUE(simulator_.loaded());
    simulator_.Reset();
  }

  // Every selection conflict the simulator saw, one line each.
  std::string ConflictText() const {
    std::string text;
    for (const sim::SIM_CONFLICT& conflict : simulator_.Conflicts()) {
      text += std::string(conflict.EntryPoint) + " on thread " + std::to_string(conflict.ThreadId) +
              (conflict.Kind == sim::kSimConflictOverlap ? ": overlapped another request"
                                                         : ": went to another device") +
              "\n";
    }
    return text;
  }

  DWORD OpenHandle(const std::wstring& path) {
    std::wstring writable = path;
    DWORD handle = 0;
    DWORD error = 0;
    EXPECT_EQ(S_OK, scanner_.OpenScannerSession(writable.data(), 1, &handle, &error))
        << "error code " << error;
    return handle;
  }

  sim::SimulatorControl simulator_;
};

TEST_F(SelectionStressTest, ThreadsSharingAProcessLockNeverOverlapTheirRequests) {
  TempDeviceFile device;
  const DWORD handle = OpenHandle(device.wide_path());
  ASSERT_EQ(kErrNoError, Lock(handle, kLockTypeProcess));
  const size_t calls = StressCount(3000, 30000);
  std::atomic<size_t> failed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&] {
      for (size_t i = 0; i < calls; ++i) {
        BYTE lamp = 0;
        DWORD error = 0;
        if (scanner_.GetLampStatus(handle, &lamp, &error) != S_OK || lamp != 1) ++failed;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(0u, failed.load());
  EXPECT_EQ("", ConflictText());
  EXPECT_EQ(kErrNoError, Unlock(handle));
  EXPECT_EQ(kErrNoError, Close(handle));
}

// One thread works on its device in turns of the lock while another opens
// and closes a second device over and over: the close ends its device
// without the lock, and must not divert the first thread's requests.
TEST_F(SelectionStressTest, ClosingOneDeviceNeverDivertsRequestsForAnother) {
  TempDeviceFile worked;
  TempDeviceFile churned;
  const DWORD handle = OpenHandle(worked.wide_path());
  const size_t turns = StressCount(150, 1500);
  std::atomic<bool> done{false};
  std::atomic<size_t> failed{0};
  std::thread churner([&] {
    ::zorvik::zorvik other;
    std::wstring path = churned.wide_path();
    while (!done) {
      DWORD session = 0;
      DWORD error = 0;
      if (other.OpenScannerSession(path.data(), 1, &session, &error) != S_OK ||
          other.CloseScannerSession(session, &error) != S_OK)
        ++failed;
    }
  });
  for (size_t turn = 0; turn < turns; ++turn) {
    DWORD error = 0;
    if (scanner_.LockScanner(handle, kLockTypeThread, kLockTimeoutMs, &error) != S_OK) {
      ++failed;
      continue;
    }
    for (int i = 0; i < 10; ++i) {
      BYTE lamp = 0;
      if (scanner_.GetLampStatus(handle, &lamp, &error) != S_OK || lamp != 1) ++failed;
    }
    scanner_.UnlockScanner(handle, &error);
  }
  done = true;
  churner.join();
  EXPECT_EQ(0u, failed.load());
  EXPECT_EQ("", ConflictText());
  EXPECT_EQ(kErrNoError, Close(handle));
}

// Two names for one device file: two sessions that can never be open at once
// (the file is opened unshared) and share one device lock. While one session
// is held under its lock, the other thread's open waits for that lock; the
// holder's last close must have ended its device, the file closed, before
// the waiting open gets the lock, or that open finds the device still in use.
TEST_F(SelectionStressTest, AnOpenWaitingForTheLockFindsTheLastCloseFinished) {
  TempDeviceFile device;
  const std::vector<std::wstring> names = TwoNamesForOneFile(device);
  DWORD held = OpenHandle(names[0]);
  ASSERT_EQ(kErrNoError, Lock(held, kLockTypeThread));
  const size_t rounds = StressCount(200, 2000);
  size_t failed = 0;
  for (size_t round = 1; round <= rounds; ++round) {
    OpenOutcome next{E_UNEXPECTED, 0, 0};
    std::thread opener([&] { next = Open(names[round % 2].c_str()); });
    // Most rounds the open is waiting for the lock by now; the others only
    // find the device ended earlier.
    Sleep(1);
    DWORD error = 0;
    if (scanner_.CloseScannerSession(held, &error) != S_OK) ++failed;
    opener.join();
    if (next.result != S_OK) {
      ADD_FAILURE() << "round " << round << ": the open failed with error code " << next.error;
      break;
    }
    held = next.handle;
    if (Lock(held, kLockTypeThread, kLockTimeoutMs) != kErrNoError) break;
  }
  EXPECT_EQ(0u, failed);
  EXPECT_EQ(kErrNoError, Close(held));
  EXPECT_TRUE(device.IsClosed());
}

// The same two names, for a scanner that never comes up: each failed first
// open must have ended its device before the other thread's open, waiting
// for the lock, gets it and opens the file.
TEST_F(SelectionStressTest, AnOpenWaitingForTheLockFindsAFailedOpenUndone) {
  TempDeviceFile device("fail = GetScannerAbilityEx status 3\n");
  const std::vector<std::wstring> names = TwoNamesForOneFile(device);
  const size_t opens = StressCount(150, 1500);
  std::vector<std::vector<DWORD>> codes(2);
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&, t] {
      ::zorvik::zorvik scanner;
      std::wstring name = names[t];
      for (size_t i = 0; i < opens; ++i) {
        DWORD handle = 0;
        DWORD error = 0;
        if (scanner.OpenScannerSession(name.data(), 1, &handle, &error) == S_OK) {
          scanner.CloseScannerSession(handle, &error);
          error = kErrNoError;
        }
        if (error != kErrCommunicationFailure) codes[t].push_back(error);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  // Every open fails as the scanner does, never with the device in use.
  EXPECT_EQ(std::vector<DWORD>{}, codes[0]);
  EXPECT_EQ(std::vector<DWORD>{}, codes[1]);
  EXPECT_TRUE(device.IsClosed());
}

// One thread loads gamma tables, each of one value throughout, while another
// starts and stops scans under the same PROCESS lock: every table the toolkit
// receives must be one of them whole.
TEST_F(SelectionStressTest, AScanNeverSendsAGammaTableHalfOldHalfNew) {
  TempDeviceFile device;
  const DWORD handle = OpenHandle(device.wide_path());
  ASSERT_EQ(kErrNoError, Lock(handle, kLockTypeProcess));
  SCANNER_PARAMETERS parameters = ToParameters({kGrey, kPixels, 8, 75, 75, 0, 0, 8, 8});
  DWORD error = 0;
  ASSERT_EQ(S_OK, scanner_.SetScannerParameters(handle, &parameters, &error)) << error;
  const size_t scans = StressCount(2000, 20000);
  std::atomic<bool> done{false};
  std::atomic<size_t> failed{0};
  std::thread loader([&] {
    ::zorvik::zorvik other;
    std::vector<BYTE> tables[2] = {std::vector<BYTE>(256, 0x00), std::vector<BYTE>(256, 0xFF)};
    for (size_t i = 0; !done; ++i) {
      std::vector<BYTE>& table = tables[i % 2];
      DWORD code = 0;
      if (other.SetGammaTable(handle, 256, table.data(), table.data(), table.data(), &code) != S_OK)
        ++failed;
    }
  });
  for (size_t i = 0; i < scans; ++i) {
    if (scanner_.StartScan(handle, &error) != S_OK || scanner_.StopScan(handle, &error) != S_OK)
      ++failed;
  }
  done = true;
  loader.join();
  EXPECT_EQ(0u, failed.load());
  size_t sent = 0;
  size_t torn = 0;
  for (const sim::SIM_JOURNAL_ENTRY& call : simulator_.Journal()) {
    if (std::string(call.EntryPoint) != "SetGammaTable") continue;
    ++sent;
    for (uint32_t i = 1; i < call.DataSize; ++i) {
      if (call.Data[i] != call.Data[0]) {
        ++torn;
        break;
      }
    }
  }
  EXPECT_GT(sent, 0u);
  EXPECT_EQ(0u, torn) << "of " << sent << " tables sent";
  EXPECT_EQ("", ConflictText());
  EXPECT_EQ(kErrNoError, Unlock(handle));
  EXPECT_EQ(kErrNoError, Close(handle));
}

}  // namespace
}  // namespace zorvik::test
