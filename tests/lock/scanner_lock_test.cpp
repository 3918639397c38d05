// The device lock between threads and between sessions of one process.
#include "scanner_lock.h"

#include <gtest/gtest.h>

#include <memory>

#include "lock_test_support.h"

namespace zorvik {
namespace {

using test::LockThread;
using test::UniqueDeviceName;

constexpr uint32_t kProcess = kLockTypeProcess;
constexpr uint32_t kThread = kLockTypeThread;
// Long enough never to expire in a passing test, short enough that a broken
// lock fails the test instead of hanging it.
constexpr DWORD kPatience = 10000;

TEST(ScannerLockName, IsTheDeviceNameAfterItsLastBackslash) {
  const struct {
    const char* device;
    const char* semaphore;
  } cases[] = {
      {"\\\\?\\usb#vid_1234&pid_7310#5&1a2b#{guid}", "usb#vid_1234&pid_7310#5&1a2b#{guid}"},
      {"C:\\devices\\7310.txt", "7310.txt"},
      {"scanner", "scanner"},
      {"trailing\\", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.device);
    CScannerLock lock(c.device);
    EXPECT_EQ(c.semaphore, lock.semaphore_name());
  }
}

TEST(ScannerLock, ProcessLockIsReenteredAndReleasedByAnyThreadOfTheProcess) {
  CScannerLock lock(UniqueDeviceName("process").c_str());
  ASSERT_TRUE(lock.Lock(kProcess, 0));

  LockThread other([&] { return lock.Lock(kProcess, 0) && lock.IsLockedByCaller(); });
  ASSERT_TRUE(other.WaitDone(kPatience));
  EXPECT_EQ(1, other.result()) << "a second thread re-enters a PROCESS lock";

  LockThread release([&] { return lock.Unlock(); });
  ASSERT_TRUE(release.WaitDone(kPatience));
  EXPECT_EQ(1, release.result());
  EXPECT_TRUE(lock.IsLocked()) << "one level is still held";

  EXPECT_TRUE(lock.Unlock());
  EXPECT_FALSE(lock.IsLocked());
  EXPECT_FALSE(lock.IsLockedByCaller());
}

TEST(ScannerLock, ThreadLockBelongsToItsOwnerThreadOnly) {
  CScannerLock lock(UniqueDeviceName("thread").c_str());
  ASSERT_TRUE(lock.Lock(kThread, 0));
  EXPECT_TRUE(lock.IsLockedByCaller());

  LockThread other([&] {
    const int by_caller = lock.IsLockedByCaller();
    const int unlocked = lock.Unlock();
    const int relocked = lock.Lock(kThread, 0);  // tries once, the owner still holds it
    return by_caller * 100 + unlocked * 10 + relocked;
  });
  ASSERT_TRUE(other.WaitDone(kPatience));
  EXPECT_EQ(0, other.result());
  EXPECT_TRUE(lock.IsLocked());
  EXPECT_TRUE(lock.IsLockedByCaller());
  EXPECT_TRUE(lock.Unlock());
}

TEST(ScannerLock, WaiterGetsTheLockWhenTheLastLevelIsReleased) {
  CScannerLock lock(UniqueDeviceName("waiter").c_str());
  ASSERT_TRUE(lock.Lock(kThread, 0));
  ASSERT_TRUE(lock.Lock(kThread, 0));

  LockThread waiter([&] { return lock.Lock(kThread, kPatience) && lock.IsLockedByCaller(); });
  ASSERT_TRUE(lock.Unlock());
  EXPECT_FALSE(waiter.WaitDone(100)) << "one level is still held";
  ASSERT_TRUE(lock.Unlock());
  ASSERT_TRUE(waiter.WaitDone(kPatience));
  EXPECT_EQ(1, waiter.result());
  EXPECT_FALSE(lock.IsLockedByCaller()) << "the waiter owns the THREAD lock now";
  LockThread release([&] { return lock.Unlock(); });
  ASSERT_TRUE(release.WaitDone(kPatience));
}

TEST(ScannerLock, RefusesAnotherTypeAtOnceWithoutWaiting) {
  CScannerLock lock(UniqueDeviceName("mismatch").c_str());
  ASSERT_TRUE(lock.Lock(kThread, 0));
  // An infinite time-out would hang here if the refusal waited.
  LockThread other([&] { return lock.Lock(kProcess, INFINITE); });
  ASSERT_TRUE(other.WaitDone(kPatience));
  EXPECT_EQ(0, other.result());
  EXPECT_EQ(0, lock.Lock(kProcess, INFINITE));
  EXPECT_TRUE(lock.IsLockedByCaller());
  EXPECT_TRUE(lock.Unlock());
  EXPECT_FALSE(lock.IsLocked());
}

TEST(ScannerLock, RefusesUnknownLockTypesAndLeavesAHeldLockAlone) {
  CScannerLock lock(UniqueDeviceName("type").c_str());
  EXPECT_EQ(0, lock.Lock(2, 0));
  EXPECT_EQ(0, lock.Lock(0xFFFFFFFF, 0));
  EXPECT_FALSE(lock.IsLocked());

  ASSERT_TRUE(lock.Lock(kProcess, 0));
  EXPECT_EQ(0, lock.Lock(2, INFINITE));
  EXPECT_TRUE(lock.Unlock());
  EXPECT_FALSE(lock.IsLocked()) << "the refused call added no level";
}

TEST(ScannerLock, UnlockOfAFreeLockFails) {
  CScannerLock lock(UniqueDeviceName("free").c_str());
  EXPECT_EQ(0, lock.Unlock());
  ASSERT_TRUE(lock.Lock(kThread, 0));
  EXPECT_TRUE(lock.Unlock());
  EXPECT_EQ(0, lock.Unlock());
}

TEST(ScannerLock, SessionsOnDifferentDevicesExcludeEachOtherWithinTheProcess) {
  CScannerLock first(UniqueDeviceName("first").c_str());
  CScannerLock second(UniqueDeviceName("second").c_str());
  ASSERT_TRUE(first.Lock(kProcess, 0));
  EXPECT_EQ(0, second.Lock(kProcess, 50));
  EXPECT_TRUE(first.Unlock());
  EXPECT_TRUE(second.Lock(kProcess, 0));
  EXPECT_TRUE(second.Unlock());
}

TEST(ScannerLock, TwoLocksOnOneDeviceNameShareTheDeviceSemaphore) {
  const std::string device = UniqueDeviceName("shared");
  CScannerLock first(device.c_str());
  CScannerLock second(device.c_str());
  ASSERT_TRUE(first.Lock(kThread, 0));
  EXPECT_EQ(0, second.Lock(kThread, 0));
  EXPECT_TRUE(first.Unlock());
  EXPECT_TRUE(second.Lock(kThread, 0));
  EXPECT_TRUE(second.Unlock());
}

// A lock destroyed while it is still held gives its units back, so neither
// the device nor the other sessions of the process stay blocked.
TEST(ScannerLock, DestroyingAHeldLockFreesTheDevice) {
  const std::string device = UniqueDeviceName("destroyed");
  {
    auto lock = std::make_unique<CScannerLock>(device.c_str());
    ASSERT_TRUE(lock->Lock(kProcess, 0));
    ASSERT_TRUE(lock->Lock(kProcess, 0));
    ASSERT_TRUE(lock->Lock(kProcess, 0));
    lock.reset();
  }
  {
    auto lock = std::make_unique<CScannerLock>(device.c_str());
    LockThread owner([&] { return lock->Lock(kThread, 0); });
    ASSERT_TRUE(owner.WaitDone(kPatience));
    ASSERT_EQ(1, owner.result());
    lock.reset();  // destroyed by a thread that does not own it
  }
  CScannerLock next(device.c_str());
  EXPECT_TRUE(next.Lock(kThread, 0)) << "the device semaphore was given back";
  CScannerLock other_device(UniqueDeviceName("other").c_str());
  EXPECT_EQ(0, other_device.Lock(kThread, 0)) << "next holds the module semaphore";
  EXPECT_TRUE(next.Unlock());
  EXPECT_TRUE(other_device.Lock(kThread, 0)) << "the module semaphore was given back";
  EXPECT_TRUE(other_device.Unlock());
}

}  // namespace
}  // namespace zorvik
