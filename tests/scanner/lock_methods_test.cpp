// LockScanner and UnlockScanner through the scanner object: the error codes
// of a refused lock and unlock, other threads, and the label of the trace.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "driver_error.h"
#include "session_test_support.h"

namespace zorvik::test {
namespace {

class LockMethodsTest : public SessionTest {};

constexpr WORD kProcess = 0, kThread = 1, kNoSuchType = 2;

TEST_F(LockMethodsTest, LockAndUnlockReportTheLocksAnswers) {
  struct Step {
    enum { kLock, kUnlock } call;
    WORD type;
    DWORD error;
  };
  const struct {
    const char* case_name;
    std::vector<Step> steps;
  } cases[] = {
      {"lock, unlock, unlock again",
       {{Step::kLock, kThread, kErrNoError},
        {Step::kUnlock, 0, kErrNoError},
        {Step::kUnlock, 0, kErrScannerNotLocked}}},
      {"unlock without a lock", {{Step::kUnlock, 0, kErrScannerNotLocked}}},
      {"unknown lock type", {{Step::kLock, kNoSuchType, kErrScannerLockFailed}}},
      {"counted levels",
       {{Step::kLock, kProcess, kErrNoError},
        {Step::kLock, kProcess, kErrNoError},
        {Step::kUnlock, 0, kErrNoError},
        {Step::kUnlock, 0, kErrNoError},
        {Step::kUnlock, 0, kErrScannerNotLocked}}},
      {"other type while held",
       {{Step::kLock, kThread, kErrNoError},
        {Step::kLock, kProcess, kErrScannerLockFailed},
        {Step::kUnlock, 0, kErrNoError}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.case_name);
    const OpenOutcome open = Open(nullptr);
    ASSERT_EQ(S_OK, open.result);
    for (const Step& step : c.steps) {
      EXPECT_EQ(step.error,
                step.call == Step::kLock ? Lock(open.handle, step.type) : Unlock(open.handle));
    }
    EXPECT_EQ(kErrNoError, Close(open.handle));
  }
}

TEST_F(LockMethodsTest, AHandleThatIsNoSessionIsInvalidForBoth) {
  const OpenOutcome open = Open(nullptr);
  EXPECT_EQ(kErrNoError, Close(open.handle));
  for (const DWORD handle : {DWORD{0}, open.handle, DWORD{0xFFFFFFFF}}) {
    SCOPED_TRACE(handle);
    EXPECT_EQ(kErrInvalidSession, Lock(handle, kThread));
    EXPECT_EQ(kErrInvalidSession, Unlock(handle));
  }
}

TEST_F(LockMethodsTest, AThreadLockBelongsToItsThread) {
  const OpenOutcome open = Open(nullptr);
  ASSERT_EQ(kErrNoError, Lock(open.handle, kThread));
  DWORD other_lock = 0, other_unlock = 0;
  std::thread other([&] {
    other_lock = Lock(open.handle, kThread, 0);
    other_unlock = Unlock(open.handle);
  });
  other.join();
  EXPECT_EQ(kErrScannerLockFailed, other_lock);
  EXPECT_EQ(kErrScannerNotLocked, other_unlock);
  EXPECT_EQ(kErrNoError, Unlock(open.handle));
  EXPECT_EQ(kErrNoError, Close(open.handle));
}

TEST_F(LockMethodsTest, LockScannerIsTracedUnderItsOwnName) {
  const OpenOutcome open = Open(nullptr);
  const size_t mark = LogMark();
  EXPECT_EQ(kErrNoError, Lock(open.handle, kThread));
  EXPECT_EQ(kErrNoError, Unlock(open.handle));
  const std::string log = LogSince(mark);
  const std::string session = " : SessionID=0x" + Hex(open.handle) + " : ";
  EXPECT_NE(std::string::npos, log.find("+++zorvik::LockScanner" + session)) << log;
  EXPECT_NE(std::string::npos, log.find("+++zorvik::UnlockScanner" + session)) << log;
  EXPECT_EQ(std::string::npos, log.find("CloseScannerSession")) << log;
  EXPECT_EQ(kErrNoError, Close(open.handle));
}

}  // namespace
}  // namespace zorvik::test
