// zorvik_bench: times the component against the best it could be (the
// toolkit it drives, bare kernel objects, the platform's own marshalling)
// and prints the figures side by side with their ratios. Run it under Wine
// from the build's bin folder (./zorvik.sh bench). It starts copies of
// itself for the figures that need a second process.
#include <objbase.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "bench_child.h"
#include "bench_path.h"
#include "bench_results.h"
#include "full_journal_toolkit.h"
#include "kernel_round_trip.h"
#include "log_settings_scope.h"
#include "scoped_registration.h"
#include "stopwatch.h"
#include "test_paths.h"
#include "toolkit_stream.h"
#include "zorvik_module.h"

namespace zorvik::bench {
namespace {

constexpr int kRuns = 11;
constexpr int kLampCallsPerRun = 20000;
constexpr int kCrossApartmentLampCalls = 500;
constexpr int kRoundTripsPerRun = 5000;
constexpr int kSeveralLogProcesses = 3;

// Wine maps the Linux root to drive Z:, so the host's load can be read.
std::string HostLoadAverage() {
  char text[64] = {};
  FILE* file = std::fopen("Z:\\proc\\loadavg", "r");
  if (file == nullptr) return "";
  const bool read = std::fgets(text, sizeof(text), file) != nullptr;
  std::fclose(file);
  if (!read) return "";
  // The first three fields.
  std::string load(text);
  size_t end = 0;
  for (int field = 0; field < 3 && end != std::string::npos; ++field)
    end = load.find(' ', end + (field ? 1 : 0));
  return load.substr(0, end);
}

// Why zorvik.dll from the benchmark's folder cannot serve the run, or null.
// A module that lacks one of its exports cannot register itself.
const char* ComponentFailure(const test::ZorvikModule& component,
                             const std::optional<test::ScopedRegistration>& registration) {
  if (component.path().empty()) return "zorvik.dll could not be loaded from the benchmark's folder";
  return registration && SUCCEEDED(registration->result())
             ? nullptr
             : "DllRegisterServer of zorvik.dll failed";
}

void Progress(const char* what) { std::fprintf(stderr, "zorvik_bench: %s\n", what); }

struct PathMaker {
  std::function<std::unique_ptr<BenchPath>()> make;
  bool across_apartments;  // calls are cross-apartment: fewer of them
};

// The figures of every run of one path, in run order, reduced at the end.
struct PathRuns {
  const char* name = nullptr;
  bool failed = false;
  std::vector<double> lamp_us;
};

// One run of one path: its lamp calls.
void MeasureOneRun(BenchPath& path, const PathMaker& maker, PathRuns& runs) {
  runs.name = path.Name();
  const int calls = maker.across_apartments ? kCrossApartmentLampCalls : kLampCallsPerRun;
  const double seconds = SecondsPerCall(1, calls, [&] { return path.LampStatus(); });
  runs.lamp_us.push_back(seconds < 0 ? -1.0 : seconds * 1e6);
}

// Section 1 with logging off. The runs of the paths and of the kernel round
// trip are interleaved and every ratio is taken within a run. The simulated
// toolkit stays loaded with its journal full throughout. Each path
// holds the default device while it is measured, so the paths are made and
// given back one after another.
bool MeasurePaths(BenchResults& results) {
  const FullJournalToolkit toolkit_held;
  if (!toolkit_held.valid())
    std::fprintf(stderr, "zorvik_bench: the toolkit's journal was not filled\n");
  const PathMaker makers[] = {
      {MakeToolkitPath, false},
      {MakeToolkitSelectingPath, false},
      {[] { return MakeScannerObjectPath(); }, false},
      {MakeComPath, false},
      {[] { return MakeCrossApartmentPath(); }, true},
  };
  constexpr size_t kPathCount = sizeof(makers) / sizeof(makers[0]);
  PathRuns runs[kPathCount];
  std::vector<double> round_trip_us;
  for (int run = 0; run < kRuns; ++run) {
    std::fprintf(stderr, "zorvik_bench: call paths, run %d of %d\n", run + 1, kRuns);
    const double round_trip = KernelRoundTripSeconds(1, kRoundTripsPerRun);
    round_trip_us.push_back(round_trip < 0 ? -1.0 : round_trip * 1e6);
    for (size_t p = 0; p < kPathCount; ++p) {
      if (runs[p].failed) continue;
      std::unique_ptr<BenchPath> path = makers[p].make();
      if (!path) {
        runs[p].failed = true;
        continue;
      }
      MeasureOneRun(*path, makers[p], runs[p]);
    }
  }
  results.round_trip_us = MedianOrFailed(round_trip_us);
  bool complete = true;
  for (size_t p = 0; p < kPathCount; ++p) {
    const PathRuns& path = runs[p];
    complete &= path.name != nullptr && !path.failed;
    if (path.name == nullptr) continue;
    PathFigures figures;
    figures.name = path.name;
    figures.lamp_us = MedianOrFailed(path.lamp_us);
    figures.lamp_ratio = MedianRatio(path.lamp_us, round_trip_us);
    results.paths.push_back(figures);
  }
  return complete;
}

// Section 2: each path through the component reads in turn with a bare
// reference on the same scan of the default device, read by read, in the
// same apartments: the toolkit's own ReadScan in-apartment, the toolkit's
// ReadScan behind a bare IStream across apartments, made in the very
// apartment that serves the component's object. Before them the toolkit
// itself takes the subject's place twice: as it is, which shows how far
// the method itself scatters, and with the SetIOHandle the component makes
// before every request, which shows the toolkit's share of the added cost.
bool MeasureReads(BenchResults& results) {
  const FullJournalToolkit toolkit_held;
  if (!toolkit_held.valid())
    std::fprintf(stderr, "zorvik_bench: the toolkit's journal was not filled\n");
  const struct {
    const char* subject;
    std::function<std::unique_ptr<BenchPath>(OtherApartment*)> make;
    ReadRow row;
  } subjects[] = {
      {"toolkit against itself", [](OtherApartment*) { return MakeToolkitPath(); },
       ReadRow::kMethodFloor},
      {"toolkit + SetIOHandle", [](OtherApartment*) { return MakeToolkitSelectingPath(); },
       ReadRow::kSelection},
      {"scanner object", [](OtherApartment*) { return MakeScannerObjectPath(); },
       ReadRow::kInApartment},
      {"COM in-apartment", [](OtherApartment*) { return MakeComPath(); }, ReadRow::kInApartment},
      {"COM across apartments",
       [](OtherApartment* apartment) { return MakeCrossApartmentPath(*apartment); },
       ReadRow::kAcrossApartments},
  };
  bool complete = true;
  for (const auto& subject : subjects) {
    std::fprintf(stderr, "zorvik_bench: reads, %s\n", subject.subject);
    ReadComparison comparison;
    const bool across_apartments = subject.row == ReadRow::kAcrossApartments;
    comparison.subject = subject.subject;
    comparison.row = subject.row;
    comparison.reference = across_apartments ? "IStream + toolkit across" : "toolkit ReadScan";
    // Outlives the path's and the stream's proxies.
    std::unique_ptr<OtherApartment> apartment;
    if (across_apartments) apartment = std::make_unique<OtherApartment>();
    std::unique_ptr<BenchPath> path = subject.make(apartment.get());
    if (path) {
      NextBytesReader reference;
      ToolkitScanReader toolkit;
      std::unique_ptr<CrossApartmentToolkitStream> stream;
      if (across_apartments) {
        stream = std::make_unique<CrossApartmentToolkitStream>(*apartment);
        if (stream->Failure() == nullptr)
          reference = [&](uint8_t* buffer, uint32_t bytes) { return stream->Read(buffer, bytes); };
        else
          std::fprintf(stderr, "zorvik_bench: IStream across apartments: %s\n", stream->Failure());
      } else if (toolkit.valid()) {
        reference = [&](uint8_t* buffer, uint32_t bytes) { return toolkit.Read(buffer, bytes); };
      }
      for (size_t i = 0; i < kChunkCount && reference; ++i) {
        const int pairs = across_apartments ? kChunkSizes[i].pairs / 4 : kChunkSizes[i].pairs;
        comparison.chunks[i] = InterleaveReads(*path, reference, kChunkSizes[i].bytes, pairs);
      }
    }
    for (const InterleavedReads& chunk : comparison.chunks) complete &= chunk.ratio >= 0;
    results.reads.push_back(comparison);
  }
  for (size_t i = 0; i < kChunkCount; ++i)
    results.memcpy_mbps[i] = MemcpyMegabytesPerSecond(
        kChunkSizes[i].bytes, uint64_t{kChunkSizes[i].bytes} * kChunkSizes[i].pairs, 5);

  Progress("whole page");
  if (std::unique_ptr<BenchPath> path = MakeComPath()) results.page = ReadWholePage(*path);
  return complete;
}

// The logging figures, from children started while the settings are in the
// registry; this process read its own settings (logging off) long before.
void MeasureLogging(BenchResults& results) {
  const std::string log_file = test::TempFolder() + "zorvik-bench.log";
  Progress("logging on");
  {
    const test::ScopedLogSettings settings(LoggingToFile(log_file));
    if (!settings.written()) {
      std::fprintf(stderr, "zorvik_bench: the log settings could not be written\n");
      return;
    }
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
  }
  Progress("log");
  results.log_one = MeasureLog(log_file, 1);
  results.traced_text = LastTracedText();
  results.log_several = MeasureLog(log_file, kSeveralLogProcesses);
  DeleteFileA(log_file.c_str());
}

// `reads_only`: only the ReadScan throughput (section 2), for repeated runs.
int Run(bool reads_only) {
  const bool apartment = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  int status = 1;
  {
    // Registered in the prefix for the whole run, so that CoCreateInstance,
    // the proxies and the children find it.
    const test::ZorvikModule component;
    std::optional<test::ScopedRegistration> registration;
    if (component.loaded()) registration.emplace(component);
    const char* const failure = ComponentFailure(component, registration);
    if (!apartment || failure != nullptr) {
      std::fprintf(stderr, "zorvik_bench: %s\n", apartment ? failure : "CoInitializeEx failed");
    } else {
      BenchResults results;
      results.load_at_start = HostLoadAverage();
      bool complete = reads_only || MeasurePaths(results);
      complete &= MeasureReads(results);
      if (!reads_only) {
        Progress("device lock");
        MeasureLocks(results.locks);
        Progress("session churn");
        results.churn = MeasureSessionChurn();
        Progress("host memory");
        results.host = MeasureHostMemory();
        Progress("host at the USB 2.0 rate");
        results.host_pace = MeasureHostPace();
        MeasureLogging(results);
      }
      results.load_at_end = HostLoadAverage();
      PrintResults(results, reads_only);
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
  const bool reads_only = argc == 2 && std::string(argv[1]) == "--reads-only";
  if (argc > 1 && !reads_only) {
    std::fprintf(stderr, "usage: zorvik_bench [--reads-only]\n");
    return 2;
  }
  return zorvik::bench::Run(reads_only);
}
