// zorvik_bench: times the component against the best it could be (the
// toolkit it drives, bare kernel objects, the platform's own marshalling)
// and prints the figures side by side with their ratios. Run it under Wine
// from the build's bin folder (./zorvik.sh bench). It starts copies of
// itself for the figures that need a second process.
#include <objbase.h>

#include <cstdio>
#include <functional>
#include <string>

#include "bench_child.h"
#include "bench_path.h"
#include "bench_results.h"
#include "component_registration.h"
#include "filling_stream.h"
#include "kernel_round_trip.h"
#include "log_settings_scope.h"
#include "stopwatch.h"

namespace zorvik::bench {
namespace {

constexpr int kRuns = 11;
constexpr int kLampCallsPerRun = 20000;
constexpr int kCrossApartmentLampCalls = 500;
constexpr int kRoundTripsPerRun = 20000;
constexpr int kSeveralLogProcesses = 3;

void Progress(const char* what) { std::fprintf(stderr, "zorvik_bench: %s\n", what); }

struct PathMaker {
  std::function<std::unique_ptr<BenchPath>()> make;
  bool reads;              // also measure ReadScan throughput
  bool across_apartments;  // calls are cross-apartment: fewer of them
};

// The figures of every run of one path, reduced to medians at the end.
struct PathRuns {
  const char* name = nullptr;
  bool reads = false;
  bool failed = false;
  std::vector<double> lamp_us;
  std::vector<double> megabytes_per_second[kChunkCount];
};

double MedianOrFailed(const std::vector<double>& figures) {
  for (double figure : figures)
    if (figure < 0) return -1.0;
  return figures.empty() ? -1.0 : Median(figures);
}

// One run of one path: its lamp calls, then one scan per chunk size.
void MeasureOneRun(BenchPath& path, const PathMaker& maker, PathRuns& runs) {
  runs.name = path.Name();
  runs.reads = maker.reads;
  const int calls = maker.across_apartments ? kCrossApartmentLampCalls : kLampCallsPerRun;
  const double seconds = SecondsPerCall(1, calls, [&] { return path.LampStatus(); });
  runs.lamp_us.push_back(seconds < 0 ? -1.0 : seconds * 1e6);
  if (!maker.reads) return;
  for (size_t i = 0; i < kChunkCount; ++i)
    runs.megabytes_per_second[i].push_back(
        ReadScanMegabytesPerSecond(path, kChunkSizes[i].bytes, kChunkSizes[i].bytes_per_run, 1));
}

// Sections 1 and 2 with logging off. The runs of the paths and yardsticks
// are interleaved, so that a change in the machine's load during the run
// reaches every figure alike. Each path holds the default device while it
// is measured, so the paths are made and given back one after another.
bool MeasurePaths(BenchResults& results) {
  const PathMaker makers[] = {
      {MakeToolkitPath, true, false},
      {MakeToolkitSelectingPath, false, false},
      {[] { return MakeScannerObjectPath(); }, true, false},
      {MakeComPath, true, false},
      {MakeCrossApartmentPath, true, true},
  };
  constexpr size_t kPathCount = sizeof(makers) / sizeof(makers[0]);
  PathRuns runs[kPathCount];
  std::vector<double> memcpy_runs[kChunkCount], stream_runs[kChunkCount];
  for (int run = 0; run < kRuns; ++run) {
    std::fprintf(stderr, "zorvik_bench: call paths and reads, run %d of %d\n", run + 1, kRuns);
    for (size_t p = 0; p < kPathCount; ++p) {
      if (runs[p].failed) continue;
      std::unique_ptr<BenchPath> path = makers[p].make();
      if (!path) {
        runs[p].failed = true;
        continue;
      }
      MeasureOneRun(*path, makers[p], runs[p]);
    }
    for (size_t i = 0; i < kChunkCount; ++i) {
      memcpy_runs[i].push_back(
          MemcpyMegabytesPerSecond(kChunkSizes[i].bytes, kChunkSizes[i].bytes_per_run, 1));
      stream_runs[i].push_back(CrossApartmentStreamMegabytesPerSecond(
          kChunkSizes[i].bytes, kChunkSizes[i].bytes_per_run, 1));
    }
  }
  bool complete = true;
  for (const PathRuns& path : runs) {
    if (path.name == nullptr || path.failed) {
      complete = false;
      if (path.name == nullptr) continue;
    }
    PathFigures figures;
    figures.name = path.name;
    figures.lamp_us = MedianOrFailed(path.lamp_us);
    figures.reads_measured = path.reads;
    for (size_t i = 0; i < kChunkCount && path.reads; ++i)
      figures.megabytes_per_second[i] = MedianOrFailed(path.megabytes_per_second[i]);
    results.paths.push_back(figures);
  }
  for (size_t i = 0; i < kChunkCount; ++i) {
    results.memcpy_mbps[i] = MedianOrFailed(memcpy_runs[i]);
    results.stream_across_mbps[i] = MedianOrFailed(stream_runs[i]);
  }

  Progress("whole page");
  if (std::unique_ptr<BenchPath> path = MakeComPath()) results.page = ReadWholePage(*path);
  Progress("kernel round trip");
  const double round_trip = KernelRoundTripSeconds(kRuns, kRoundTripsPerRun);
  results.round_trip_us = round_trip < 0 ? -1.0 : round_trip * 1e6;
  return complete;
}

// The logging figures, from children started while the settings are in the
// registry; this process read its own settings (logging off) long before.
void MeasureLogging(BenchResults& results) {
  const std::string log_file = TempFilePath("zorvik-bench.log");
  LogSettingsScope settings(log_file);
  if (!settings.written()) {
    std::fprintf(stderr, "zorvik_bench: the log settings could not be written\n");
    return;
  }
  Progress("logging on");
  const struct {
    const char* name;
    LoggedPath path;
  } logged[] = {{"scanner object", LoggedPath::kScannerObject},
                {"COM in-apartment", LoggedPath::kComInApartment},
                {"COM across apartments", LoggedPath::kComAcrossApartments}};
  for (PathFigures& path : results.paths)
    for (const auto& candidate : logged)
      if (path.name == std::string(candidate.name)) {
        path.logged_measured = true;
        path.logged_lamp_us = LoggedLampMicroseconds(candidate.path);
      }
  Progress("log");
  results.log_one = MeasureLog(log_file, 1);
  results.traced_text = LastTracedText();
  results.log_several = MeasureLog(log_file, kSeveralLogProcesses);
  DeleteFileA(log_file.c_str());
}

int Run() {
  const bool apartment = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  int status = 1;
  {
    ComponentRegistration registration;
    if (!apartment || registration.Failure() != nullptr) {
      std::fprintf(stderr, "zorvik_bench: %s\n",
                   apartment ? registration.Failure() : "CoInitializeEx failed");
    } else {
      BenchResults results;
      const bool complete = MeasurePaths(results);
      Progress("device lock");
      for (LockSubject subject :
           {LockSubject::kProcessLock, LockSubject::kThreadLock, LockSubject::kBareSemaphores})
        results.locks[static_cast<int>(subject)] = MeasureLock(subject);
      Progress("session churn");
      results.churn = MeasureSessionChurn();
      Progress("host memory");
      results.host = MeasureHostMemory();
      MeasureLogging(results);
      PrintResults(results);
      status = complete ? 0 : 1;
    }
  }
  if (apartment) CoUninitialize();
  return status;
}

}  // namespace
}  // namespace zorvik::bench

int main(int argc, char** argv) {
  int exit_code = 0;
  if (zorvik::bench::RunBenchRoleIfAsked(argc, argv, &exit_code)) return exit_code;
  return zorvik::bench::Run();
}
