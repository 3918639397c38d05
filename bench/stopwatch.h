// Timing for the benchmarks: QueryPerformanceCounter seconds and the median
// of repeated runs, so one disturbed run does not move a figure.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace zorvik::bench {

// Seconds since an arbitrary origin, from the performance counter.
inline double NowSeconds() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// The median over `runs` of what `run` returns (a figure of one run).
template <typename Run>
double MedianOfRuns(int runs, Run run) {
  std::vector<double> figures;
  for (int i = 0; i < runs; ++i) figures.push_back(run());
  return Median(figures);
}

// Seconds per call of `call`, the median of `runs` runs of `calls` calls;
// negative when a call fails.
template <typename Call>
double SecondsPerCall(int runs, int calls, Call call) {
  bool failed = false;
  const double seconds = MedianOfRuns(runs, [&] {
    const double start = NowSeconds();
    for (int i = 0; i < calls; ++i) failed |= !call();
    return (NowSeconds() - start) / calls;
  });
  return failed ? -1.0 : seconds;
}

}  // namespace zorvik::bench
