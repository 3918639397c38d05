// A device lock whose holder's process has ended is taken over by the next
// waiter; a holder that is still running never is.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "lock_owner_record.h"
#include "lock_test_support.h"
#include "process_identity.h"
#include "scanner_lock.h"

namespace zorvik {
namespace {

using test::Hex;

using test::ChildProcess;
using test::EventName;
using test::Narrow;
using test::Widen;

constexpr DWORD kPatience = 10000;

// The argument of the holder roles: one letter saying what to hold, then the
// device name.
std::wstring HolderArgument(wchar_t what, const std::string& device) {
  std::wstring argument = Widen(device);
  argument.insert(argument.begin(), what);
  return argument;
}

UniqueHandle OpenHeldEvent(const std::wstring& argument) {
  return UniqueHandle(
      OpenEventW(EVENT_MODIFY_STATE, FALSE, EventName(argument.substr(1), L"-held").c_str()));
}

// Takes the device lock ('P' PROCESS, 'T' THREAD), says so and keeps it until
// it is killed or the test gives up on it.
ZORVIK_CHILD_ROLE(hold_lock_until_killed) {
  const UniqueHandle held = OpenHeldEvent(argument);
  if (!held) return 2;
  CScannerLock lock(Narrow(argument.substr(1)).c_str());
  const uint32_t type = argument[0] == L'P' ? kLockTypeProcess : kLockTypeThread;
  if (!lock.Lock(type, kPatience)) return 3;
  SetEvent(held.get());
  Sleep(60000);
  return 0;
}

// Dies inside a record update: takes the record's guard together with the
// device semaphore ('S', as a Lock that has not yet written the record) or
// the guard alone ('G', as an Unlock that has already given the semaphore
// back), and is killed before it lets go.
ZORVIK_CHILD_ROLE(hold_guard_until_killed) {
  const UniqueHandle held = OpenHeldEvent(argument);
  if (!held) return 2;
  const std::string name = CScannerLock(Narrow(argument.substr(1)).c_str()).semaphore_name();
  const UniqueHandle semaphore(CreateSemaphoreA(nullptr, 1, 1, name.c_str()));
  const UniqueHandle guard(CreateMutexA(nullptr, FALSE, OwnerGuardName(name).c_str()));
  if (!semaphore || !guard) return 4;
  const HANDLE both[] = {semaphore.get(), guard.get()};
  const DWORD wait = argument[0] == L'S' ? WaitForMultipleObjects(2, both, TRUE, kPatience)
                                         : WaitForSingleObject(guard.get(), kPatience);
  if (wait != WAIT_OBJECT_0) return 5;
  SetEvent(held.get());
  Sleep(60000);
  return 0;
}

// The named event reset, whether it is new or a previous holder set it.
UniqueHandle UnsignalledEvent(const std::wstring& name) {
  UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
  if (event) ResetEvent(event.get());
  return event;
}

// A child holding the device through `role`, started and waited for.
class HolderProcess {
 public:
  HolderProcess(const char* role, wchar_t what, const std::string& device)
      : argument_(HolderArgument(what, device)),
        held_(UnsignalledEvent(EventName(argument_.substr(1), L"-held"))),
        child_(role, argument_) {}

  bool Holds() {
    return held_ && child_.started() &&
           WaitForSingleObject(held_.get(), kPatience) == WAIT_OBJECT_0;
  }
  ChildProcess& child() { return child_; }

 private:
  std::wstring argument_;
  UniqueHandle held_;
  ChildProcess child_;
};

struct TakeoverCase {
  const char* label;
  const char* role;
  wchar_t what;
  DWORD waiter_timeout_ms;
  const char* expected_line;  // a %s in it stands for the holder's process ID
};

void PrintTo(const TakeoverCase& c, std::ostream* os) { *os << c.label; }

class HolderTakeover : public testing::TestWithParam<TakeoverCase> {};

TEST_P(HolderTakeover, NextLockSucceedsWithinItsTimeOutAndLogsWhy) {
  const TakeoverCase& c = GetParam();
  const std::string device = test::UniqueDeviceName("takeover");
  HolderProcess holder(c.role, c.what, device);
  ASSERT_TRUE(holder.Holds());
  // The waiter's lock exists before the holder dies: a named object with no
  // handle left would vanish with the holder and the fault with it.
  CScannerLock lock(device.c_str());
  const DWORD holder_id = holder.child().id();
  holder.child().Kill();  // the parent keeps its handle, so the ID still opens

  const size_t log_start = test::LogFileSize();
  const ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(lock.Lock(kLockTypeThread, c.waiter_timeout_ms));
  EXPECT_LE(GetTickCount64() - start, c.waiter_timeout_ms + 1000ull);
  EXPECT_TRUE(lock.Unlock());

  std::string line = c.expected_line;
  const size_t id_at = line.find("%s");
  if (id_at != std::string::npos) line.replace(id_at, 2, Hex(holder_id));
  const std::string lines = test::DetailLinesSince(log_start);
  if (line.empty()) {
    EXPECT_EQ(std::string::npos, lines.find("releasing its Lock Semaphore")) << lines;
  } else {
    EXPECT_NE(std::string::npos, lines.find(line)) << lines;
  }

  CScannerLock after(device.c_str());
  EXPECT_TRUE(after.Lock(kLockTypeProcess, 0)) << "the device is free again";
  EXPECT_TRUE(after.Unlock());
}

constexpr char kEndedHolderLine[] =
    "Lock holder process (%s) has ended, releasing its Lock Semaphore";
constexpr char kEndedInsideUpdateLine[] =
    "Lock holder process ended while changing the Lock owner, releasing its Lock Semaphore";

INSTANTIATE_TEST_SUITE_P(
    KilledHolder, HolderTakeover,
    testing::Values(
        TakeoverCase{"ThreadLockHolder", "hold_lock_until_killed", L'T', 3000, kEndedHolderLine},
        TakeoverCase{"ProcessLockHolder", "hold_lock_until_killed", L'P', 3000, kEndedHolderLine},
        TakeoverCase{"TryOnce", "hold_lock_until_killed", L'T', 0, kEndedHolderLine},
        TakeoverCase{"DiedTakingTheDevice", "hold_guard_until_killed", L'S', 3000,
                     kEndedInsideUpdateLine},
        // The semaphore was already given back: the abandoned guard comes
        // with the wait itself and there is nothing to take over.
        TakeoverCase{"DiedGivingItBack", "hold_guard_until_killed", L'G', 3000, ""}),
    [](const testing::TestParamInfo<TakeoverCase>& info) { return info.param.label; });

// A holder gives its unit back before it clears its record. A process that
// dies taking the unit in between leaves a record naming a running process:
// the waiter must not take over then, but must once that record is cleared.
TEST(HolderTakeover, DeathTakingTheDeviceBeforeTheLastHolderClearedItsRecord) {
  const std::string device = test::UniqueDeviceName("uncleared");
  CScannerLock lock(device.c_str());
  LockOwnerRecord record(lock.semaphore_name(), nullptr);
  ASSERT_TRUE(record.valid());
  uint64_t token = 0;
  {
    const OwnerGuardHold hold = record.AcquireGuard(0);
    ASSERT_TRUE(hold.owned());
    token = record.SetOwner(CurrentProcessIdentity());
  }
  HolderProcess taker("hold_guard_until_killed", L'S', device);
  ASSERT_TRUE(taker.Holds());
  taker.child().Kill();

  EXPECT_EQ(0, lock.Lock(kLockTypeThread, 300)) << "the record still names a running holder";
  const size_t log_start = test::LogFileSize();
  record.ClearHold(token);
  ASSERT_TRUE(lock.Lock(kLockTypeThread, 3000));
  EXPECT_TRUE(lock.Unlock());
  const std::string lines = test::DetailLinesSince(log_start);
  EXPECT_NE(std::string::npos, lines.find(kEndedInsideUpdateLine)) << lines;
}

// Two sessions of one process on one device: the first clears its record
// after giving the device back, when the second may already hold it.
TEST(LockOwnerRecord, ClearingAHoldLeavesALaterHoldRecorded) {
  const CScannerLock lock(test::UniqueDeviceName("token").c_str());
  LockOwnerRecord record(lock.semaphore_name(), nullptr);
  ASSERT_TRUE(record.valid());
  const OwnerGuardHold hold = record.AcquireGuard(0);
  ASSERT_TRUE(hold.owned());
  const uint64_t first = record.SetOwner(CurrentProcessIdentity());
  const uint64_t second = record.SetOwner(CurrentProcessIdentity());
  record.ClearHold(first);
  EXPECT_EQ(GetCurrentProcessId(), record.Owner().process_id);
  record.ClearHold(second);
  EXPECT_TRUE(record.Owner().empty());
}

TEST(HolderTakeover, WaiterAlreadyWaitingGetsTheDeviceWhenTheHolderDies) {
  const std::string device = test::UniqueDeviceName("waiting");
  HolderProcess holder("hold_lock_until_killed", L'T', device);
  ASSERT_TRUE(holder.Holds());

  CScannerLock lock(device.c_str());
  test::LockThread waiter([&] { return lock.Lock(kLockTypeProcess, INFINITE); });
  EXPECT_FALSE(waiter.WaitDone(400)) << "the holder is still running";
  holder.child().Kill();
  const bool done = waiter.WaitDone(kPatience);
  if (!done) {
    // Free the waiter by hand so that a failure does not hang the suite.
    const UniqueHandle semaphore(CreateSemaphoreA(nullptr, 1, 1, lock.semaphore_name().c_str()));
    ReleaseSemaphore(semaphore.get(), 1, nullptr);
    waiter.WaitDone(kPatience);
  }
  ASSERT_TRUE(done) << "the waiter was still waiting for a dead holder";
  EXPECT_EQ(1, waiter.result());
  EXPECT_TRUE(lock.Unlock());
}

// Neither by a waiter that only sees it holding the device, nor by one that
// finds the record's guard abandoned by a process that died while looking.
TEST(HolderTakeover, RunningHolderInAnotherProcessIsNeverTakenOver) {
  const std::string device = test::UniqueDeviceName("alive");
  HolderProcess holder("hold_lock_until_killed", L'T', device);
  ASSERT_TRUE(holder.Holds());

  CScannerLock lock(device.c_str());
  HolderProcess looker("hold_guard_until_killed", L'G', device);
  ASSERT_TRUE(looker.Holds());
  looker.child().Kill();

  const size_t log_start = test::LogFileSize();
  EXPECT_EQ(0, lock.Lock(kLockTypeThread, 600)) << "several wait slices, each checking the holder";
  const std::string lines = test::DetailLinesSince(log_start);
  EXPECT_NE(std::string::npos, lines.find("ERROR:  Lock wait failed")) << lines;
  EXPECT_EQ(std::string::npos, lines.find("releasing its Lock Semaphore")) << lines;
  holder.child().Kill();
}

// The record names a process; the device semaphore is held on its behalf by
// this test. Only an owner that has ended loses the device.
TEST(HolderTakeover, RecordedOwnerDecidesWhetherTheDeviceIsTakenOver) {
  ChildProcess ended("hold_lock_until_killed", L"X");  // exits at once: no event
  ASSERT_TRUE(ended.started());
  ASSERT_NE(-1, ended.Wait(kPatience));
  const ProcessIdentity self = CurrentProcessIdentity();
  const struct {
    const char* label;
    ProcessIdentity owner;
    bool taken_over;
  } cases[] = {
      {"this running process", self, false},
      {"an ended process, still open through our handle", {ended.id(), 0}, true},
      {"a reused process ID", {self.process_id, self.creation_time + 1}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string device = test::UniqueDeviceName("recorded");
    CScannerLock lock(device.c_str());
    const UniqueHandle semaphore(CreateSemaphoreA(nullptr, 1, 1, lock.semaphore_name().c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(semaphore.get(), 0));
    {
      LockOwnerRecord record(lock.semaphore_name(), nullptr);
      ASSERT_TRUE(record.valid());
      const OwnerGuardHold hold = record.AcquireGuard(0);
      ASSERT_TRUE(hold.owned());
      record.SetOwner(c.owner);
    }
    EXPECT_EQ(c.taken_over ? 1 : 0, lock.Lock(kLockTypeThread, 300));
    if (c.taken_over) {
      EXPECT_TRUE(lock.Unlock());
    } else {
      ReleaseSemaphore(semaphore.get(), 1, nullptr);
    }
  }
}

TEST(ProcessIdentity, RunningOnlyForTheSameLiveProcess) {
  const ProcessIdentity self = CurrentProcessIdentity();
  EXPECT_EQ(GetCurrentProcessId(), self.process_id);
  EXPECT_NE(0u, self.creation_time);
  EXPECT_TRUE(IsProcessRunning(self));
  EXPECT_FALSE(IsProcessRunning({self.process_id, self.creation_time ^ 1}));
  EXPECT_FALSE(IsProcessRunning({}));

  DWORD gone_id = 0;
  {
    ChildProcess child("hold_lock_until_killed", L"X");
    ASSERT_TRUE(child.started());
    ASSERT_NE(-1, child.Wait(kPatience));
    EXPECT_FALSE(IsProcessRunning({child.id(), 0})) << "ended, still open through our handle";
    gone_id = child.id();
  }
  EXPECT_FALSE(IsProcessRunning({gone_id, 0})) << "ended, no handle left";
}

}  // namespace
}  // namespace zorvik
