// The printed tables: every figure beside the best the component could do,
// with the ratio, and a plain verdict for each goal.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "bench_results.h"

namespace zorvik::bench {
namespace {

constexpr double kUsb2MegabytesPerSecond = 40.0;
constexpr double kUsb3MegabytesPerSecond = 400.0;
constexpr double kMegabyte = 1e6;

void Figure(double value, const char* format = " %12.3f") {
  if (value < 0)
    std::printf(" %12s", "failed");
  else
    std::printf(format, value);
}

void Ratio(double value, double base) {
  if (value < 0 || base <= 0)
    std::printf(" %8s", "-");
  else
    std::printf(" %8.4f", value / base);
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

const PathFigures* FindPath(const BenchResults& results, const char* name) {
  for (const PathFigures& path : results.paths)
    if (std::strcmp(path.name, name) == 0) return &path;
  return nullptr;
}

void PrintCallPath(const BenchResults& results) {
  std::printf("1. Call path: one GetLampStatus with the lock held, us per call\n");
  std::printf("   (ratio: to the kernel round trip, logging off: the median of ratios within\n");
  std::printf("   each run; goal: logging off at most 0.01)\n\n");
  std::printf("%-32s %12s %8s %12s %8s\n", "", "logging off", "ratio", "logging on", "ratio");
  for (const PathFigures& path : results.paths) {
    std::printf("%-32s", path.name);
    Figure(path.lamp_us);
    Ratio(path.lamp_ratio, 1.0);
    if (path.logged_measured) {
      Figure(path.logged_lamp_us);
      Ratio(path.logged_lamp_us, results.round_trip_us);
    } else {
      std::printf(" %12s %8s", "-", "-");
    }
    std::printf("\n");
  }
  // The goal is the component's in-process cost; a call across apartments is
  // a kernel exchange itself and is shown for the host's information. A path
  // that could not be measured misses the goal.
  bool goal_met = true;
  for (const char* name : {"scanner object", "COM in-apartment"}) {
    const PathFigures* path = FindPath(results, name);
    goal_met &= path != nullptr && path->lamp_ratio >= 0 && path->lamp_ratio <= 0.01;
  }
  std::printf("%-32s", "kernel round trip (named sem.)");
  Figure(results.round_trip_us);
  std::printf(" %8s\n", "1");
  std::printf("   goal (scanner object and COM in-apartment, logging off): %s\n\n",
              Verdict(goal_met));
}

void PrintThroughputHeader() {
  std::printf("%-8s", "chunk");
  for (const char* name : {"toolkit", "scanner object", "COM in-apartment", "COM across apts",
                           "IStream across", "memcpy"})
    std::printf(" %21s", name);
  std::printf("\n");
}

void PrintThroughput(const BenchResults& results) {
  std::printf("2. ReadScan throughput, MB/s (10^6 bytes/s)\n");
  std::printf("   ratio: in-apartment paths to the toolkit (goal >= 0.99 at 64 KiB and up);\n");
  std::printf("   COM across apartments to a bare IStream::Read across the same apartments\n");
  std::printf("   (goal >= 0.90); both the median of ratios within each run. memcpy: ratio\n");
  std::printf("   of the medians, to the toolkit\n\n");
  const PathFigures* toolkit = FindPath(results, "toolkit direct");
  const PathFigures* object = FindPath(results, "scanner object");
  const PathFigures* in_apartment = FindPath(results, "COM in-apartment");
  const PathFigures* across = FindPath(results, "COM across apartments");
  auto at = [](const PathFigures* path, size_t i) {
    return path != nullptr ? path->megabytes_per_second[i] : -1.0;
  };
  auto ratio = [](const PathFigures* path, size_t i) {
    return path != nullptr ? path->read_ratio[i] : -1.0;
  };
  bool in_apartment_met = true, across_met = true;
  PrintThroughputHeader();
  for (size_t i = 0; i < kChunkCount; ++i) {
    const double base = at(toolkit, i);
    std::printf("%-8s", kChunkSizes[i].label);
    Figure(base, " %12.1f");
    std::printf(" %8s", "1");
    for (const PathFigures* path : {object, in_apartment}) {
      Figure(at(path, i), " %12.1f");
      Ratio(ratio(path, i), 1.0);
      if (kChunkSizes[i].bytes >= 64 * 1024) in_apartment_met &= ratio(path, i) >= 0.99;
    }
    Figure(at(across, i), " %12.1f");
    Ratio(ratio(across, i), 1.0);
    across_met &= ratio(across, i) >= 0.90;
    Figure(results.stream_across_mbps[i], " %12.1f");
    std::printf(" %8s", "1");
    Figure(results.memcpy_mbps[i], " %12.1f");
    Ratio(results.memcpy_mbps[i], base);
    std::printf("\n");
  }
  // A read across apartments waits for the toolkit to fill the buffer and
  // then for the marshalling to carry it, one after the other; the bare
  // IStream's fill is a memset and costs next to nothing. So the proxy's
  // ratio cannot exceed 1 / (1 + IStream rate / toolkit rate).
  std::printf("%-8s", "limit");
  for (size_t i = 0; i < kChunkCount; ++i) {
    const double base = at(toolkit, i), stream = results.stream_across_mbps[i];
    if (base > 0 && stream > 0)
      std::printf(" %s %.3f", kChunkSizes[i].label, 1.0 / (1.0 + stream / base));
  }
  std::printf("   (across-apartment ratio reachable with\n");
  std::printf("%-8s toolkit time and marshalling in series: 1 / (1 + IStream / toolkit))\n", "");
  std::printf("%-8s %12.1f   (USB 2.0 line)\n", "USB 2.0", kUsb2MegabytesPerSecond);
  std::printf("%-8s %12.1f   (USB 3.0 line)\n", "USB 3.0", kUsb3MegabytesPerSecond);
  std::printf("   goal in-apartment (>= 0.99 of the toolkit at 64 KiB and up): %s\n",
              Verdict(in_apartment_met));
  std::printf("   goal across apartments (>= 0.90 of the bare IStream): %s\n\n",
              Verdict(across_met));

  const PageRead& page = results.page;
  std::printf("   A4 page, 600 dpi colour, through COM in-apartment in 1 MiB reads:\n");
  std::printf("   expected %llu bytes (4960 px x 3 bytes x 7016 lines), geometry %s,\n",
              static_cast<unsigned long long>(page.expected_bytes),
              page.geometry_matches ? "agrees" : "DIFFERS");
  std::printf("   read %llu bytes %s in %.3f s = %.1f MB/s\n\n",
              static_cast<unsigned long long>(page.bytes),
              page.complete ? "(complete, exact)" : "(INCOMPLETE)", page.seconds,
              page.seconds > 0 ? static_cast<double>(page.bytes) / kMegabyte / page.seconds : 0.0);
}

void PrintLocks(const BenchResults& results) {
  std::printf("3. Device lock: us per Lock/Unlock pair (wall time over all pairs)\n");
  std::printf("   (medians over %d rounds; ratio: to the bare semaphore pair in the same\n",
              kLockRounds);
  std::printf("   situation, the median of the ratios within each round)\n\n");
  std::printf("%-32s %12s %8s %12s %8s %12s %8s\n", "", "uncontended", "ratio", "2 threads",
              "ratio", "2 processes", "ratio");
  for (LockSubject subject :
       {LockSubject::kProcessLock, LockSubject::kThreadLock, LockSubject::kBareSemaphores}) {
    const LockFigures& figures = results.locks[static_cast<int>(subject)];
    std::printf("%-32s", LockSubjectName(subject));
    Figure(figures.uncontended);
    Ratio(figures.uncontended_ratio, 1.0);
    Figure(figures.two_threads);
    Ratio(figures.two_threads_ratio, 1.0);
    Figure(figures.two_processes);
    Ratio(figures.two_processes_ratio, 1.0);
    std::printf("\n");
  }
  std::printf("\n");
}

void PrintLogRow(const LogFigures& figures) {
  char label[40];
  std::snprintf(label, sizeof(label), "%d process%s at once", figures.processes,
                figures.processes == 1 ? "" : "es");
  const double required =
      figures.locked_append >= 0 ? kTextsPerTracedCall * figures.locked_append : -1.0;
  std::printf("%-24s", label);
  Figure(figures.untraced_call);
  Figure(figures.traced_call);
  Figure(figures.locked_append);
  Figure(figures.reopened_append);
  Figure(figures.plain_append);
  Figure(required);
  Ratio(figures.ratio, 1.0);
  const bool met = figures.ratio >= 0 && figures.ratio <= 1.5;
  std::printf("  %s\n", Verdict(met));
}

void PrintLog(const BenchResults& results) {
  std::printf("4. Log to a file: us per traced GetLampStatus (lock held) beside the bare\n");
  std::printf("   appends it requires (%d texts per traced call; measured %.2f log lines\n",
              kTextsPerTracedCall, results.traced_text.lines_per_call);
  std::printf("   naming the call per call, %.0f bytes per text); ratio: (traced call - the\n",
              results.traced_text.bytes_per_text);
  std::printf("   same call with logging off) / 2 locked appends; goal: at most 1.5\n\n");
  std::printf("%-24s %12s %12s %12s %12s %12s %12s %8s  %s\n", "", "logging off", "traced call",
              "locked app.", "reopened", "plain app.", "2 x locked", "ratio", "goal");
  PrintLogRow(results.log_one);
  PrintLogRow(results.log_several);
  std::printf("%-24s", "one local time stamp");
  Figure(results.log_one.local_time_us);
  std::printf("   (std::time + localtime_s, as each trace entry line takes)\n");
  std::printf("   (figures: medians over the processes, then over %d rounds; ratio: the median\n",
              kLogRounds);
  std::printf("   of the rounds' ratios; \"locked app.\": wait on\n");
  std::printf("   the file's named semaphore, open, append, close, release; \"reopened\": the\n");
  std::printf("   same, opening and closing the semaphore around each append as the log\n");
  std::printf("   writer does; \"plain app.\": the same without any semaphore)\n\n");
}

void PrintChurn(const BenchResults& results) {
  std::printf("5. Session churn, us per cycle\n\n");
  std::printf("%-52s", "OpenScannerSession + CloseScannerSession");
  Figure(results.churn.session_cycle);
  Ratio(results.churn.session_cycle, results.churn.bare_load);
  std::printf("\n%-52s", "LoadLibrary + 31 GetProcAddress + FreeLibrary");
  Figure(results.churn.bare_load);
  std::printf(" %8s\n\n", "1");
}

void PrintHostMemory(const BenchResults& results) {
  const HostMemory& host = results.host;
  const double page_megabytes = static_cast<double>(results.page.expected_bytes) / kMegabyte;
  std::printf("6. Host memory: zorvik_scan, A4 600 dpi colour page to PNG\n\n");
  std::printf("   exit code %d, %.1f s, PNG %.1f MB\n", host.exit_code, host.seconds,
              static_cast<double>(host.image_file_bytes) / kMegabyte);
  std::printf("   peak working set %.1f MB, peak private (pagefile) %.1f MB, page %.1f MB\n",
              static_cast<double>(host.peak_working_set) / kMegabyte,
              static_cast<double>(host.peak_pagefile) / kMegabyte, page_megabytes);
  const double peak = static_cast<double>(std::max(host.peak_working_set, host.peak_pagefile));
  const bool plausible = host.exit_code == 0 && peak > 1e6;
  std::printf("   ratio peak / page %.3f; goal (far below the page, under 0.25): %s\n",
              page_megabytes > 0 ? peak / kMegabyte / page_megabytes : 0.0,
              !plausible ? "NOT MEASURED" : Verdict(peak < 0.25 * page_megabytes * kMegabyte));
}

}  // namespace

void PrintResults(const BenchResults& results) {
  std::printf("Load average (1/5/15 min) at start: %s, at end: %s\n\n",
              results.load_at_start.empty() ? "unknown" : results.load_at_start.c_str(),
              results.load_at_end.empty() ? "unknown" : results.load_at_end.c_str());
  PrintCallPath(results);
  PrintThroughput(results);
  PrintLocks(results);
  PrintLog(results);
  PrintChurn(results);
  PrintHostMemory(results);
}

}  // namespace zorvik::bench
