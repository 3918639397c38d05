// zorvik_bench: times the component against the toolkit it drives and prints
// the figures side by side with their ratios. Run it under Wine from the
// build's bin folder (./zorvik.sh bench); logging must be off.
#include <cstdio>
#include <functional>
#include <vector>

#include "bench_path.h"
#include "kernel_round_trip.h"
#include "read_throughput.h"
#include "stopwatch.h"

namespace zorvik::bench {
namespace {

constexpr int kRuns = 11;
constexpr int kLampCallsPerRun = 20000;
constexpr int kRoundTripsPerRun = 20000;
constexpr int kReadRuns = 11;

struct ChunkSize {
  const char* label;
  uint32_t bytes;
  uint64_t bytes_per_run;
};
constexpr uint32_t kMiB = 1024 * 1024;
const ChunkSize kChunkSizes[] = {
    {"4 KiB", 4096, 16ull * kMiB},
    {"64 KiB", 64 * 1024, 16ull * kMiB},
    {"1 MiB", kMiB, 32ull * kMiB},
    {"16 MiB", 16 * kMiB, 64ull * kMiB},
};
constexpr size_t kChunkCount = sizeof(kChunkSizes) / sizeof(kChunkSizes[0]);

// The figures of one path; negative where a measurement failed.
struct PathFigures {
  const char* name = "";
  double lamp_seconds = -1.0;
  double megabytes_per_second[kChunkCount] = {-1.0, -1.0, -1.0, -1.0};
};

PathFigures Measure(BenchPath& path) {
  PathFigures figures;
  figures.name = path.Name();
  figures.lamp_seconds = SecondsPerCall(kRuns, kLampCallsPerRun, [&] { return path.LampStatus(); });
  for (size_t i = 0; i < kChunkCount; ++i)
    figures.megabytes_per_second[i] = ReadScanMegabytesPerSecond(
        path, kChunkSizes[i].bytes, kChunkSizes[i].bytes_per_run, kReadRuns);
  return figures;
}

void PrintFigure(double value, const char* format) {
  if (value < 0)
    std::printf("%12s", "failed");
  else
    std::printf(format, value);
}

void PrintRatio(double value, double base) {
  if (value < 0 || base <= 0)
    std::printf("%9s", "-");
  else
    std::printf("%9.4f", value / base);
}

void PrintCallPath(const std::vector<PathFigures>& paths, double round_trip_seconds) {
  std::printf("1. Call path: one GetLampStatus with the lock held, logging off\n");
  std::printf("   (goal: device call / kernel round trip at most 0.01)\n\n");
  std::printf("%-44s %12s %9s\n", "", "us/call", "ratio");
  for (const PathFigures& path : paths) {
    std::printf("%-44s ", path.name);
    PrintFigure(path.lamp_seconds * 1e6, "%12.4f");
    PrintRatio(path.lamp_seconds, round_trip_seconds);
    std::printf("\n");
  }
  std::printf("%-44s ", "kernel round trip (named semaphore)");
  PrintFigure(round_trip_seconds * 1e6, "%12.4f");
  std::printf("%9s\n\n", "1");
}

void PrintThroughput(const std::vector<PathFigures>& paths, const double* memcpy_figures) {
  std::printf("2. ReadScan throughput in MB/s (ratio to the toolkit direct figure)\n");
  std::printf("   (goal: at least 0.99 at 64 KiB and above)\n\n");
  std::printf("%-8s", "chunk");
  for (const PathFigures& path : paths) std::printf(" %21s", path.name);
  std::printf(" %21s\n", "memcpy");
  const double* base = paths.empty() ? memcpy_figures : paths.front().megabytes_per_second;
  for (size_t i = 0; i < kChunkCount; ++i) {
    std::printf("%-8s", kChunkSizes[i].label);
    for (const PathFigures& path : paths) {
      PrintFigure(path.megabytes_per_second[i], " %12.1f");
      PrintRatio(path.megabytes_per_second[i], base[i]);
    }
    PrintFigure(memcpy_figures[i], " %12.1f");
    PrintRatio(memcpy_figures[i], base[i]);
    std::printf("\n");
  }
}

int Run() {
  // Each path holds the default device while it is measured, so they are
  // made and given back one after the other.
  const std::function<std::unique_ptr<BenchPath>()> makers[] = {MakeToolkitPath,
                                                                MakeScannerObjectPath, MakeComPath};
  std::vector<PathFigures> paths;
  bool complete = true;
  for (const auto& make : makers) {
    std::unique_ptr<BenchPath> path = make();
    if (!path) {
      complete = false;
      continue;
    }
    paths.push_back(Measure(*path));
  }
  const double round_trip = KernelRoundTripSeconds(kRuns, kRoundTripsPerRun);
  double memcpy_figures[kChunkCount];
  for (size_t i = 0; i < kChunkCount; ++i)
    memcpy_figures[i] =
        MemcpyMegabytesPerSecond(kChunkSizes[i].bytes, kChunkSizes[i].bytes_per_run, kReadRuns);

  PrintCallPath(paths, round_trip);
  PrintThroughput(paths, memcpy_figures);
  return complete ? 0 : 1;
}

}  // namespace
}  // namespace zorvik::bench

int main() { return zorvik::bench::Run(); }
