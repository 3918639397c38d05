// The device lock's log lines, word for word.
#include <gtest/gtest.h>

#include <string>

#include "lock_test_support.h"
#include "scanner_lock.h"

namespace zorvik {
namespace {

using test::Hex;

TEST(ScannerLockLog, OneLockedAndUnlockedSequence) {
  const std::string device = test::UniqueDeviceName("log");
  const std::string name = device.substr(device.find_last_of('\\') + 1);
  const std::string indent = "     ";  // detail lines sit one level inside their trace
  const size_t start = test::LogFileSize();
  {
    CScannerLock lock(device.c_str());
    ASSERT_TRUE(lock.Lock(kLockTypeThread, 0));
    ASSERT_TRUE(lock.Lock(kLockTypeThread, 0));
    EXPECT_EQ(0, lock.Lock(kLockTypeProcess, 0));
    ASSERT_TRUE(lock.Unlock());
    ASSERT_TRUE(lock.Unlock());
  }
  const std::string expected =
      indent + "Lock Semaphore name is " + name + "\n" +                                          //
      indent + "Using Toolkit locking:  Requested Lock type = THREAD, Current LockCount = 0\n" +  //
      indent + "Lock obtained, PID (" + Hex(GetCurrentProcessId()) + "), TID (" +
      Hex(GetCurrentThreadId()) + "), new lockcount = 1\n" +                                      //
      indent + "Using Toolkit locking:  Requested Lock type = THREAD, Current LockCount = 1\n" +  //
      indent + "Lock obtained, new LockCount = 2\n" +                                             //
      indent +
      "Using Toolkit locking:  Requested Lock type = PROCESS, Current LockCount = 2\n" +  //
      indent + "Requested lock type does not match original lock, returning failure\n" +  //
      indent + "Unlock succeeded, lockcount is 1\n" +                                     //
      indent + "Unlock - Releasing Lock Semaphores\n" +                                   //
      indent + "Unlock called and LockCount is already 0\n";  // the destructor's Unlock
  EXPECT_EQ(expected, test::DetailLinesSince(start));
}

TEST(ScannerLockLog, ThreadLockRefusedToAnotherThreadSaysWhoHoldsIt) {
  const std::string device = test::UniqueDeviceName("log-thread");
  CScannerLock lock(device.c_str());
  ASSERT_TRUE(lock.Lock(kLockTypeThread, 0));
  const DWORD owner = GetCurrentThreadId();
  DWORD other = 0;
  const size_t start = test::LogFileSize();
  test::LockThread thread([&] {
    other = GetCurrentThreadId();
    return lock.Lock(kLockTypeThread, 0) + lock.Unlock();
  });
  ASSERT_TRUE(thread.WaitDone(10000));
  EXPECT_EQ(0, thread.result());
  const std::string lines = test::DetailLinesSince(start);
  EXPECT_NE(std::string::npos, lines.find("Lock Failed, calling thread (" + Hex(other) +
                                          ") != locking thread (" + Hex(owner) + ")\n"));
  EXPECT_NE(std::string::npos, lines.find("ERROR:  Lock wait failed\n"));
  EXPECT_NE(std::string::npos, lines.find("Error - current TID (" + Hex(other) +
                                          ") doesn't match lock TID (" + Hex(owner) + ")\n"));
  EXPECT_TRUE(lock.Unlock());
}

// A THREAD lock whose owner thread has ended (say, the apartment thread that
// served the session is gone) can never be released by its owner: the next
// thread that asks for it takes it over at once, and the device is free again
// after that thread's Unlock.
TEST(ScannerLockLog, ThreadLockOfAnEndedThreadIsTakenOverByTheNextCaller) {
  const std::string device = test::UniqueDeviceName("log-ended-thread");
  CScannerLock lock(device.c_str());
  DWORD ended = 0;
  {
    test::LockThread thread([&] {
      ended = GetCurrentThreadId();
      return lock.Lock(kLockTypeThread, 0) + lock.Lock(kLockTypeThread, 0);
    });
    ASSERT_TRUE(thread.WaitDone(10000));
    ASSERT_EQ(2, thread.result());
  }
  const size_t start = test::LogFileSize();
  ASSERT_TRUE(lock.Lock(kLockTypeThread, 0));
  EXPECT_TRUE(lock.IsLockedByCaller());
  const std::string lines = test::DetailLinesSince(start);
  EXPECT_NE(std::string::npos, lines.find("Lock holder thread (" + Hex(ended) +
                                          ") has ended, taking over its Lock\n"));
  EXPECT_NE(std::string::npos,
            lines.find("Lock obtained, PID (" + Hex(GetCurrentProcessId()) + "), TID (" +
                       Hex(GetCurrentThreadId()) + "), new lockcount = 1\n"));
  ASSERT_TRUE(lock.Unlock());
  EXPECT_FALSE(lock.IsLocked());
  CScannerLock other(device.c_str());
  EXPECT_TRUE(other.Lock(kLockTypeThread, 0));
  EXPECT_TRUE(other.Unlock());
}

TEST(ScannerLockLog, ConstructorTraceShowsAnExistingSemaphore) {
  const std::string device = test::UniqueDeviceName("log-exists");
  CScannerLock first(device.c_str());
  const size_t start = test::LogFileSize();
  CScannerLock second(device.c_str());
  const std::string all = test::AllLinesSince(start);
  EXPECT_NE(std::string::npos,
            all.find("---CScannerLock::Constructor ERROR: Returned 0x800700b7: Elapsed Time = "));
}

}  // namespace
}  // namespace zorvik
