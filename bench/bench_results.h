// Every figure of one benchmark run, gathered first and printed afterwards
// (the logging figures come from children started at the end of the run).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host_memory.h"
#include "interleaved_reads.h"
#include "lock_figures.h"
#include "log_figures.h"
#include "read_throughput.h"
#include "session_churn.h"

namespace zorvik::bench {

struct ChunkSize {
  const char* label;
  uint32_t bytes;
  int pairs;  // pairs of reads, one by the component, one by the reference (a
              // quarter of them across apartments, where reads are slower)
};
inline constexpr uint32_t kMiB = 1024 * 1024;
inline constexpr ChunkSize kChunkSizes[] = {
    {"4 KiB", 4096, 8000},
    {"64 KiB", 64 * 1024, 4000},
    {"1 MiB", kMiB, 800},
    {"16 MiB", 16 * kMiB, 160},
};
inline constexpr size_t kChunkCount = sizeof(kChunkSizes) / sizeof(kChunkSizes[0]);

// The figures of one path; negative where a measurement failed or was not made.
struct PathFigures {
  const char* name = "";
  double lamp_us = -1.0;
  double lamp_ratio = -1.0;      // to the kernel round trip, the median of per-run ratios
  bool logged_measured = false;  // only the component's paths are logged
  double logged_lamp_us = -1.0;
};

// What a row of the read table stands for.
enum class ReadRow {
  kMethodFloor,       // the toolkit's ReadScan against itself: the method's own scatter
  kSelection,         // the toolkit's ReadScan after SetIOHandle, as the component makes it
  kInApartment,       // a path through the component in the caller's apartment
  kAcrossApartments,  // the component's object through its proxy
};

// One subject read by read in turn with its reference (InterleaveReads), at
// every chunk size.
struct ReadComparison {
  const char* subject = "";
  const char* reference = "";
  ReadRow row = ReadRow::kInApartment;
  InterleavedReads chunks[kChunkCount];
};

struct BenchResults {
  // The host's load averages (1, 5, 15 minutes) when the run began and
  // ended, as Linux reports them; empty where they cannot be read.
  std::string load_at_start;
  std::string load_at_end;
  // In order: toolkit direct, toolkit direct + SetIOHandle, scanner object,
  // COM in-apartment, COM across apartments (those that could be set up).
  std::vector<PathFigures> paths;
  double round_trip_us = -1.0;
  // In order: the toolkit against itself, the toolkit after SetIOHandle,
  // scanner object and COM in-apartment, each against the toolkit's own
  // ReadScan; COM across apartments against the toolkit behind a bare IStream.
  std::vector<ReadComparison> reads;
  double memcpy_mbps[kChunkCount] = {-1.0, -1.0, -1.0, -1.0};
  PageRead page;
  LockFigures locks[kLockSubjectCount];  // by LockSubject
  LogFigures log_one;
  LogFigures log_several;
  TracedText traced_text;
  ChurnFigures churn;
  HostMemory host;
  HostPace host_pace;
};

// `reads_only`: the load and section 2 only (zorvik_bench --reads-only).
void PrintResults(const BenchResults& results, bool reads_only);

}  // namespace zorvik::bench
