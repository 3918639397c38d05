// The device lock between two processes on one device name.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "lock_test_support.h"
#include "scanner_lock.h"

namespace zorvik {
namespace {

using test::ChildProcess;
using test::EventName;
using test::LockThread;
using test::Widen;

constexpr DWORD kPatience = 10000;

// Takes the device lock, says so, and gives it back when told to.
ZORVIK_CHILD_ROLE(hold_device_lock) {
  const std::string device = test::Narrow(argument);
  UniqueHandle held(OpenEventW(EVENT_MODIFY_STATE, FALSE, EventName(argument, L"-held").c_str()));
  UniqueHandle release(OpenEventW(SYNCHRONIZE, FALSE, EventName(argument, L"-release").c_str()));
  if (!held || !release) return 2;
  CScannerLock lock(device.c_str());
  if (!lock.Lock(kLockTypeThread, kPatience)) return 3;
  SetEvent(held.get());
  if (WaitForSingleObject(release.get(), 30000) != WAIT_OBJECT_0) return 4;
  return lock.Unlock() ? 0 : 5;
}

TEST(TwoProcessLock, SecondProcessWaitsForTheFirstAndFailsWhenItsTimeOutRunsOut) {
  const std::string device = test::UniqueDeviceName("two-process");
  const std::wstring wide_device = Widen(device);
  UniqueHandle held(CreateEventW(nullptr, TRUE, FALSE, EventName(wide_device, L"-held").c_str()));
  UniqueHandle release(
      CreateEventW(nullptr, TRUE, FALSE, EventName(wide_device, L"-release").c_str()));
  ASSERT_TRUE(held && release);

  ChildProcess holder("hold_device_lock", wide_device);
  ASSERT_TRUE(holder.started());
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held.get(), kPatience));

  CScannerLock lock(device.c_str());
  const size_t log_start = test::LogFileSize();
  EXPECT_EQ(0, lock.Lock(kLockTypeThread, 50));
  EXPECT_NE(std::string::npos, test::DetailLinesSince(log_start).find("ERROR:  Lock wait failed"));

  LockThread waiter([&] { return lock.Lock(kLockTypeProcess, kPatience); });
  EXPECT_FALSE(waiter.WaitDone(100)) << "the other process still holds the device";
  SetEvent(release.get());
  ASSERT_TRUE(waiter.WaitDone(kPatience));
  EXPECT_EQ(1, waiter.result());
  EXPECT_EQ(0, holder.Wait(kPatience));
  EXPECT_TRUE(lock.Unlock());
}

}  // namespace
}  // namespace zorvik
