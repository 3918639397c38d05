// Timing lock pairs alone, from two threads and from two processes. Every
// contender owns its own lock object on one device name, as two sessions
// do: the named semaphore excludes the processes, the module-wide (here:
// process-wide) unnamed semaphore the threads.
#include "lock_figures.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>

#include "bench_child.h"
#include "scanner_lock.h"
#include "stopwatch.h"
#include "unique_resource.h"

namespace zorvik::bench {
namespace {

constexpr char kDeviceName[] = "zorvik-bench-lock";
constexpr int kUncontendedPairs = 2000;
// Uncontended, the subjects take turns in blocks this long, so that a change
// in the machine's load moves every subject of a round alike.
constexpr int kUncontendedBlock = 50;
constexpr int kContendedPairs = 2000;
constexpr DWORD kChildTimeoutMs = 120000;

class PairTaker {
 public:
  virtual ~PairTaker() = default;
  // One take and give-back; false when either fails.
  virtual bool Pair() = 0;
};

class ScannerLockPairs : public PairTaker {
 public:
  explicit ScannerLockPairs(uint32_t type) : type_(type) {}
  bool Pair() override { return lock_.Lock(type_, INFINITE) != 0 && lock_.Unlock() != 0; }

 private:
  const uint32_t type_;
  CScannerLock lock_{kDeviceName};
};

// The bare equivalent of the lock's two semaphores.
HANDLE ProcessWideSemaphore() {
  static const UniqueHandle semaphore(CreateSemaphoreW(nullptr, 1, 1, nullptr));
  return semaphore.get();
}

class BareSemaphorePairs : public PairTaker {
 public:
  bool Pair() override {
    return WaitForMultipleObjects(2, handles_, TRUE, INFINITE) == WAIT_OBJECT_0 &&
           ReleaseSemaphore(handles_[0], 1, nullptr) != 0 &&
           ReleaseSemaphore(handles_[1], 1, nullptr) != 0;
  }

 private:
  UniqueHandle named_{CreateSemaphoreA(nullptr, 1, 1, "zorvik-bench-bare-pair")};
  HANDLE handles_[2] = {named_.get(), ProcessWideSemaphore()};
};

std::unique_ptr<PairTaker> MakeTaker(LockSubject subject) {
  if (subject == LockSubject::kBareSemaphores) return std::make_unique<BareSemaphorePairs>();
  return std::make_unique<ScannerLockPairs>(static_cast<uint32_t>(subject));
}

// Seconds for `pairs` pairs, negative when one failed.
double TimePairs(PairTaker& taker, int pairs) {
  bool failed = false;
  const double start = NowSeconds();
  for (int i = 0; i < pairs && !failed; ++i) failed = !taker.Pair();
  const double seconds = NowSeconds() - start;
  return failed ? -1.0 : seconds;
}

double TwoThreads(LockSubject subject) {
  UniqueHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  double seconds[2] = {-1.0, -1.0};
  std::thread threads[2];
  for (int i = 0; i < 2; ++i)
    threads[i] = std::thread([&, i] {
      std::unique_ptr<PairTaker> taker = MakeTaker(subject);
      WaitForSingleObject(go.get(), INFINITE);
      seconds[i] = TimePairs(*taker, kContendedPairs);
    });
  const double start = NowSeconds();
  SetEvent(go.get());
  for (std::thread& thread : threads) thread.join();
  const double wall = NowSeconds() - start;
  if (seconds[0] < 0 || seconds[1] < 0) return -1.0;
  return wall / (2 * kContendedPairs) * 1e6;
}

double TwoProcesses(LockSubject subject) {
  const std::vector<double> seconds = RunChildrenTogether(
      "lock-pairs", 2,
      [subject](int) {
        return std::vector<std::string>{std::to_string(static_cast<int>(subject))};
      },
      kChildTimeoutMs);
  if (seconds[0] < 0 || seconds[1] < 0) return -1.0;
  // Both started together; the later finisher gives the wall time.
  return std::max(seconds[0], seconds[1]) / (2 * kContendedPairs) * 1e6;
}

const bool kRoleRegistered = RegisterBenchRole(
    "lock-pairs", [](const std::vector<std::string>& args, const std::function<void()>& start) {
      if (args.empty()) return -1.0;
      std::unique_ptr<PairTaker> taker = MakeTaker(static_cast<LockSubject>(std::stoi(args[0])));
      start();
      return TimePairs(*taker, kContendedPairs);
    });

}  // namespace

void MeasureLocks(LockFigures (&figures)[kLockSubjectCount]) {
  // [subject][situation][round]
  std::vector<double> rounds[kLockSubjectCount][3];
  for (int round = 0; round < kLockRounds; ++round) {
    std::unique_ptr<PairTaker> takers[kLockSubjectCount];
    double seconds[kLockSubjectCount] = {};
    for (int s = 0; s < kLockSubjectCount; ++s) takers[s] = MakeTaker(static_cast<LockSubject>(s));
    for (int done = 0; done < kUncontendedPairs; done += kUncontendedBlock)
      for (int s = 0; s < kLockSubjectCount; ++s) {
        const double block = TimePairs(*takers[s], kUncontendedBlock);
        seconds[s] = seconds[s] < 0 || block < 0 ? -1.0 : seconds[s] + block;
      }
    for (int s = 0; s < kLockSubjectCount; ++s) {
      takers[s].reset();
      rounds[s][0].push_back(seconds[s] < 0 ? -1.0 : seconds[s] / kUncontendedPairs * 1e6);
    }
    for (int s = 0; s < kLockSubjectCount; ++s) {
      const LockSubject subject = static_cast<LockSubject>(s);
      rounds[s][1].push_back(TwoThreads(subject));
      rounds[s][2].push_back(TwoProcesses(subject));
    }
  }
  const int bare = static_cast<int>(LockSubject::kBareSemaphores);
  for (int s = 0; s < kLockSubjectCount; ++s) {
    double* values[3] = {&figures[s].uncontended, &figures[s].two_threads,
                         &figures[s].two_processes};
    double* ratios[3] = {&figures[s].uncontended_ratio, &figures[s].two_threads_ratio,
                         &figures[s].two_processes_ratio};
    for (int situation = 0; situation < 3; ++situation) {
      *values[situation] = MedianOrFailed(rounds[s][situation]);
      *ratios[situation] = MedianRatio(rounds[s][situation], rounds[bare][situation]);
    }
  }
}

const char* LockSubjectName(LockSubject subject) {
  switch (subject) {
    case LockSubject::kProcessLock:
      return "CScannerLock PROCESS";
    case LockSubject::kThreadLock:
      return "CScannerLock THREAD";
    default:
      return "bare semaphore pair (wait-all)";
  }
}

}  // namespace zorvik::bench
