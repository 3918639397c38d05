// Read-by-read interleaving of a path through the component and a bare
// reference on the same scan.
#include "interleaved_reads.h"

#include <algorithm>
#include <vector>

#include "read_throughput.h"
#include "stopwatch.h"
#include "toolkit_module.h"

namespace zorvik::bench {
namespace {

// The bytes of the scan window: 5100 colour pixels of 3 bytes, 7020 lines.
uint64_t WindowBytes() {
  const SCANNER_PARAMETERS window = BenchScanWindow();
  const uint64_t pixels = uint64_t{window.dwWidth} * window.wXResolution / 300;
  const uint64_t lines = uint64_t{window.dwLength} * window.wYResolution / 300;
  return pixels * 3 * lines;
}

// The mean of the middle half of `values`: as robust to a disturbed read as
// the median.
double InterquartileMean(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t first = values.size() / 4, last = values.size() - values.size() / 4;
  double sum = 0.0;
  for (size_t i = first; i < last; ++i) sum += values[i];
  return last > first ? sum / static_cast<double>(last - first) : 0.0;
}

}  // namespace

InterleavedReads InterleaveReads(BenchPath& subject, const NextBytesReader& reference,
                                 uint32_t chunk, int pairs) {
  InterleavedReads figures;
  const SCANNER_PARAMETERS window = BenchScanWindow();
  const uint64_t pairs_per_scan = WindowBytes() / (2ull * chunk);
  if (pairs_per_scan == 0) return figures;
  std::vector<uint8_t> buffer(chunk);
  std::vector<double> subject_cycles, reference_cycles, ratios, added;
  bool failed = !subject.StartScan(window);
  const CycleCalibration calibration;
  uint64_t pairs_in_scan = 0;
  for (int pair = 0; pair < pairs && !failed; ++pair) {
    if (pairs_in_scan == pairs_per_scan) {
      failed = !subject.StopScan() || !subject.StartScan(window);
      pairs_in_scan = 0;
    }
    ++pairs_in_scan;
    uint64_t cycles[2] = {};  // [0] subject, [1] reference
    for (int turn = 0; turn < 2 && !failed; ++turn) {
      const bool subject_turn = (turn == 0) == (pair % 2 == 0);
      const uint64_t start = NowCycles();
      failed =
          subject_turn ? !subject.ReadScan(buffer.data(), chunk) : !reference(buffer.data(), chunk);
      cycles[subject_turn ? 0 : 1] = NowCycles() - start;
    }
    if (failed || cycles[0] == 0) break;
    const double subject_cycles_now = static_cast<double>(cycles[0]);
    const double reference_cycles_now = static_cast<double>(cycles[1]);
    subject_cycles.push_back(subject_cycles_now);
    reference_cycles.push_back(reference_cycles_now);
    ratios.push_back(reference_cycles_now / subject_cycles_now);
    added.push_back(subject_cycles_now - reference_cycles_now);
  }
  failed |= !subject.StopScan();
  const double cycles_per_second = calibration.CyclesPerSecond();
  if (failed || ratios.empty() || cycles_per_second <= 0) return figures;
  figures.subject_mbps = MegabytesPerSecond(chunk, Median(subject_cycles) / cycles_per_second);
  figures.reference_mbps = MegabytesPerSecond(chunk, Median(reference_cycles) / cycles_per_second);
  figures.ratio = Median(ratios);
  figures.added_ns = InterquartileMean(added) / cycles_per_second * 1e9;
  return figures;
}

ToolkitScanReader::ToolkitScanReader() : module_(LoadToolkitBesideProgram()) {
  if (!module_) return;
  using SetIOHandleEntry = int32_t(WINAPI*)(HANDLE device);
  const auto select = EntryPoint<SetIOHandleEntry>(module_.get(), "SetIOHandle");
  if (select == nullptr || select(nullptr) == 0) return;
  read_scan_ = EntryPoint<ReadScanEntry>(module_.get(), "ReadScan");
}

bool ToolkitScanReader::Read(uint8_t* buffer, uint32_t bytes) const {
  uint8_t status = 0;
  return read_scan_(&status, buffer, bytes) != 0 && status == 0;
}

}  // namespace zorvik::bench
