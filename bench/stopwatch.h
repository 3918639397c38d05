// Timing for the benchmarks: QueryPerformanceCounter seconds, the processor's
// cycle counter for single short reads, and the median of repeated runs, so
// one disturbed run does not move a figure.
#pragma once

#include <windows.h>

#include <x86intrin.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zorvik::bench {

// Seconds since an arbitrary origin, from the performance counter.
inline double NowSeconds() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The processor's time-stamp counter, for single reads of a few
// microseconds: Wine's performance counter ticks at 10 MHz, so a 20 us read
// would be timed in steps of half a per cent. The counter runs at a constant
// rate and in step on every core on the machines this runs on (the
// "constant_tsc" and "tsc_reliable" flags of /proc/cpuinfo).
inline uint64_t NowCycles() { return __rdtsc(); }

// The time-stamp counter's rate, measured against the performance counter
// over the life of this object: a few hundred milliseconds give it to a few
// parts in a million.
class CycleCalibration {
 public:
  CycleCalibration() : start_seconds_(NowSeconds()), start_cycles_(NowCycles()) {}
  double CyclesPerSecond() const {
    const double seconds = NowSeconds() - start_seconds_;
    const uint64_t cycles = NowCycles() - start_cycles_;
    return seconds > 0 ? static_cast<double>(cycles) / seconds : 0.0;
  }

 private:
  const double start_seconds_;
  const uint64_t start_cycles_;
};

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// The median, or -1 when a figure is negative (a failed measurement) or
// there is none.
inline double MedianOrFailed(const std::vector<double>& figures) {
  for (double figure : figures)
    if (figure < 0) return -1.0;
  return figures.empty() ? -1.0 : Median(figures);
}

// The median of the ratios of figures taken in the same run: a change in the
// machine's load between runs moves both sides of each ratio alike.
inline double MedianRatio(const std::vector<double>& values, const std::vector<double>& bases) {
  std::vector<double> ratios;
  for (size_t k = 0; k < values.size() && k < bases.size(); ++k) {
    if (values[k] < 0 || bases[k] <= 0) return -1.0;
    ratios.push_back(values[k] / bases[k]);
  }
  return ratios.empty() ? -1.0 : Median(ratios);
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
