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

// The lowest ratio of the chunks from `first` on, with its chunk and added
// cost, for a goal's verdict; a failed measurement counts as missed.
struct Worst {
  double ratio = 2.0;
  size_t chunk = 0;
  double added_ns = 0.0;
};
void TakeWorst(const ReadComparison& comparison, size_t first, Worst& worst) {
  for (size_t i = first; i < kChunkCount; ++i) {
    const InterleavedReads& chunk = comparison.chunks[i];
    if (chunk.ratio < worst.ratio) worst = {chunk.ratio, i, chunk.added_ns};
  }
}

void PrintReadVerdict(const char* goal, double minimum, const Worst& worst, const char* who) {
  if (worst.ratio < 0) {
    std::printf("   goal %s: MISSED (a measurement failed)\n", goal);
    return;
  }
  std::printf("   goal %s: %s\n      (lowest ratio %.4f, %s at %s, %+.0f ns per read)\n", goal,
              Verdict(worst.ratio >= minimum), worst.ratio, who, kChunkSizes[worst.chunk].label,
              worst.added_ns);
}

void PrintThroughput(const BenchResults& results) {
  std::printf("2. ReadScan throughput, MB/s (10^6 bytes/s): each path through the component\n");
  std::printf("   reads in turn with a bare reference, read by read, on the same scan of the\n");
  std::printf("   default device (the side that reads first alternates); so do the toolkit\n");
  std::printf("   itself (the method's own scatter) and the toolkit with the SetIOHandle the\n");
  std::printf("   component makes before each request (not judged). Reference: the\n");
  std::printf("   toolkit's own ReadScan in the same apartment; across apartments the same\n");
  std::printf("   toolkit ReadScan inside a bare IStream::Read, made in the apartment that\n");
  std::printf("   serves the component's object and marshalled by ole32. Each read timed\n");
  std::printf("   with the processor's cycle counter. MB/s: chunk / median read time; ratio:\n");
  std::printf("   median of reference time / path time per pair; +ns: mean of the middle\n");
  std::printf("   half of the per-pair path time - reference time (the component's added\n");
  std::printf("   cost per read)\n\n");
  std::printf("%-8s %-24s %10s %10s %8s %10s\n", "chunk", "path", "reference", "path", "ratio",
              "+ns/read");
  for (size_t i = 0; i < kChunkCount; ++i) {
    for (const ReadComparison& comparison : results.reads) {
      const InterleavedReads& chunk = comparison.chunks[i];
      std::printf("%-8s %-24s", kChunkSizes[i].label, comparison.subject);
      Figure(chunk.reference_mbps, " %10.1f");
      Figure(chunk.subject_mbps, " %10.1f");
      Ratio(chunk.ratio, 1.0);
      if (chunk.ratio < 0)
        std::printf(" %10s\n", "-");
      else
        std::printf(" %10.0f\n", chunk.added_ns);
    }
    std::printf("%-8s %-24s %10s", kChunkSizes[i].label, "memcpy", "");
    Figure(results.memcpy_mbps[i], " %10.1f");
    std::printf("\n");
  }
  std::printf("%-33s %10.1f   (USB 2.0 line)\n", "USB 2.0", kUsb2MegabytesPerSecond);
  std::printf("%-33s %10.1f   (USB 3.0 line)\n", "USB 3.0", kUsb3MegabytesPerSecond);

  // The in-apartment goal is judged from 64 KiB up, the one across
  // apartments at every chunk size; the toolkit's own rows are not judged.
  Worst in_apartment, across, floor;
  const char* in_apartment_who = "-";
  const ReadComparison* selection = nullptr;
  int component_rows = 0;
  for (const ReadComparison& comparison : results.reads) {
    switch (comparison.row) {
      case ReadRow::kMethodFloor:
        TakeWorst(comparison, 1, floor);
        break;
      case ReadRow::kSelection:
        selection = &comparison;
        break;
      case ReadRow::kInApartment: {
        const double before = in_apartment.ratio;
        TakeWorst(comparison, 1, in_apartment);
        if (in_apartment.ratio != before) in_apartment_who = comparison.subject;
        ++component_rows;
        break;
      }
      case ReadRow::kAcrossApartments:
        TakeWorst(comparison, 0, across);
        ++component_rows;
        break;
    }
  }
  if (component_rows < 3) in_apartment.ratio = across.ratio = -1.0;
  PrintReadVerdict("in-apartment (>= 0.99 of the toolkit at 64 KiB and up)", 0.99, in_apartment,
                   in_apartment_who);
  // Part of the added cost is the toolkit's own: the component selects the
  // device before every request.
  if (selection != nullptr && in_apartment.ratio >= 0) {
    const InterleavedReads& selected = selection->chunks[in_apartment.chunk];
    if (selected.ratio >= 0)
      std::printf("      (of it, the toolkit's SetIOHandle before each request: %+.0f ns there)\n",
                  selected.added_ns);
  }
  if (floor.ratio >= 0)
    std::printf(
        "      (the toolkit against itself, timed the same way: lowest ratio %.4f, at %s)\n",
        floor.ratio, kChunkSizes[floor.chunk].label);
  PrintReadVerdict("across apartments (>= 0.95 of the IStream doing the same reads)", 0.95, across,
                   "COM across apartments");
  std::printf("\n");

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
  // Both lock types, uncontended and with two processes taking turns.
  double worst = 0.0;
  for (LockSubject subject : {LockSubject::kProcessLock, LockSubject::kThreadLock}) {
    const LockFigures& figures = results.locks[static_cast<int>(subject)];
    for (double ratio : {figures.uncontended_ratio, figures.two_processes_ratio})
      worst = ratio < 0 || worst < 0 ? -1.0 : std::max(worst, ratio);
  }
  if (worst < 0)
    std::printf("   goal (at most 1.5 x the bare pair): MISSED (a measurement failed)\n\n");
  else
    std::printf(
        "   goal (at most 1.5 x the bare pair, uncontended and with 2 processes): %s\n"
        "      (highest ratio %.4f; kernel calls per pair: lock 4, bare pair 3)\n\n",
        Verdict(worst <= 1.5), worst);
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
  std::printf("   ratio peak / page %.3f; goal (far below the page, under 0.25): %s\n\n",
              page_megabytes > 0 ? peak / kMegabyte / page_megabytes : 0.0,
              !plausible ? "NOT MEASURED" : Verdict(peak < 0.25 * page_megabytes * kMegabyte));

  // zorvik_scan's own time from its first read to the committed file,
  // against the same page read alone from the same 40 MB/s device.
  const HostPace& pace = results.host_pace;
  std::printf("   at the USB 2.0 rate (device file: bus_rate = 40 MB/s), the same page:\n");
  std::printf("   %-44s", "read alone (scanner object, 1 MiB reads), s");
  Figure(pace.transfer_seconds);
  std::printf(" %8s\n", "1");
  std::printf("   %-44s", "zorvik_scan to PNG (reads + encoding), s");
  Figure(pace.scan_seconds);
  Ratio(pace.scan_seconds, pace.transfer_seconds);
  const bool measured = pace.scan_seconds > 0 && pace.transfer_seconds > 0;
  std::printf(
      "\n   goal (zorvik_scan within 1.1 x the transfer alone): %s\n",
      !measured ? "NOT MEASURED" : Verdict(pace.scan_seconds <= 1.1 * pace.transfer_seconds));
}

}  // namespace

void PrintResults(const BenchResults& results, bool reads_only) {
  std::printf("Load average (1/5/15 min) at start: %s, at end: %s\n\n",
              results.load_at_start.empty() ? "unknown" : results.load_at_start.c_str(),
              results.load_at_end.empty() ? "unknown" : results.load_at_end.c_str());
  if (reads_only) {
    PrintThroughput(results);
    return;
  }
  PrintCallPath(results);
  PrintThroughput(results);
  PrintLocks(results);
  PrintLog(results);
  PrintChurn(results);
  PrintHostMemory(results);
}

}  // namespace zorvik::bench
