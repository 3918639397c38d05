// The cost of one kernel round trip, the scale device calls are judged by.
#pragma once

namespace zorvik::bench {

// Seconds for one wait-and-release of a named semaphore nobody else holds:
// the median of `runs` runs of `calls` round trips; negative on failure.
double KernelRoundTripSeconds(int runs, int calls);

}  // namespace zorvik::bench
