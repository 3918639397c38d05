// The device lock's cost: Lock/Unlock pairs of CScannerLock in PROCESS and
// THREAD mode, and the bare pair of semaphores it is built on.
#pragma once

namespace zorvik::bench {

enum class LockSubject {
  kProcessLock = 0,     // CScannerLock, type PROCESS
  kThreadLock = 1,      // CScannerLock, type THREAD
  kBareSemaphores = 2,  // a named and an unnamed semaphore, one wait-all, two releases
};

inline constexpr int kLockSubjectCount = 3;
inline constexpr int kLockRounds = 5;

// Microseconds per take-and-give-back pair, wall time over every pair of
// every contender; negative when a pair failed. Medians over the rounds.
struct LockFigures {
  double uncontended = -1.0;
  double two_threads = -1.0;    // two threads of one process, each its own lock
  double two_processes = -1.0;  // two processes on the same device name
  // To the bare semaphore pair: the median of the ratios within each round.
  double uncontended_ratio = -1.0;
  double two_threads_ratio = -1.0;
  double two_processes_ratio = -1.0;
};

// Every subject, indexed by LockSubject, in rounds: uncontended the subjects
// take turns in short blocks, contended they are measured one after another.
void MeasureLocks(LockFigures (&figures)[kLockSubjectCount]);

const char* LockSubjectName(LockSubject subject);

}  // namespace zorvik::bench
