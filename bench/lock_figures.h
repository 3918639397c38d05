// The device lock's cost: Lock/Unlock pairs of CScannerLock in PROCESS and
// THREAD mode, and the bare pair of semaphores it is built on.
#pragma once

namespace zorvik::bench {

enum class LockSubject {
  kProcessLock = 0,     // CScannerLock, type PROCESS
  kThreadLock = 1,      // CScannerLock, type THREAD
  kBareSemaphores = 2,  // a named and an unnamed semaphore, one wait-all, two releases
};

// Microseconds per take-and-give-back pair, wall time over every pair of
// every contender; negative when a pair failed.
struct LockFigures {
  double uncontended = -1.0;
  double two_threads = -1.0;    // two threads of one process, each its own lock
  double two_processes = -1.0;  // two processes on the same device name
};

LockFigures MeasureLock(LockSubject subject);

const char* LockSubjectName(LockSubject subject);

}  // namespace zorvik::bench
