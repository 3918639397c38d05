// The yardstick for one device call: a wait on a named semaphore and its
// release, the smallest exchange with the kernel a lock costs.
#include "kernel_round_trip.h"

#include "stopwatch.h"
#include "unique_resource.h"

namespace zorvik::bench {

double KernelRoundTripSeconds(int runs, int calls) {
  UniqueHandle semaphore(CreateSemaphoreW(nullptr, 1, 1, L"zorvik-bench-round-trip"));
  if (!semaphore) return -1.0;
  return SecondsPerCall(runs, calls, [&] {
    return WaitForSingleObject(semaphore.get(), INFINITE) == WAIT_OBJECT_0 &&
           ReleaseSemaphore(semaphore.get(), 1, nullptr) != 0;
  });
}

}  // namespace zorvik::bench
