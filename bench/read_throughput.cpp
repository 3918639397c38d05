// Timing of image reads: only the ReadScan loop is timed; setting up and
// stopping the scan are outside the clock.
#include "read_throughput.h"

#include <cstring>
#include <vector>

#include "scan_codes.h"
#include "stopwatch.h"

namespace zorvik::bench {
namespace {

constexpr double kMegabyte = 1e6;

double MegabytesPerSecond(uint64_t bytes, double seconds) {
  return seconds > 0 ? static_cast<double>(bytes) / kMegabyte / seconds : 0.0;
}

}  // namespace

SCANNER_PARAMETERS BenchScanWindow() {
  SCANNER_PARAMETERS params{};
  params.dwWidth = 2550;   // 8.5 inch in 1/300 inch
  params.dwLength = 3510;  // 11.7 inch
  params.dwScanMode = kScanModeColor;
  params.byBitsPerChannel = 8;
  params.wXResolution = 600;
  params.wYResolution = 600;
  params.wScanMethod = kScanMethodFlatbed;
  return params;
}

double ReadScanMegabytesPerSecond(BenchPath& path, uint32_t chunk, uint64_t total, int runs) {
  std::vector<uint8_t> buffer(chunk);
  const SCANNER_PARAMETERS window = BenchScanWindow();
  bool failed = false;
  const double figure = MedianOfRuns(runs, [&] {
    if (!path.StartScan(window)) {
      failed = true;
      return 0.0;
    }
    const double start = NowSeconds();
    for (uint64_t done = 0; done < total && !failed; done += chunk)
      failed = !path.ReadScan(buffer.data(), chunk);
    const double seconds = NowSeconds() - start;
    failed |= !path.StopScan();
    return MegabytesPerSecond(total, seconds);
  });
  return failed ? -1.0 : figure;
}

double MemcpyMegabytesPerSecond(uint32_t chunk, uint64_t total, int runs) {
  std::vector<uint8_t> source(chunk, 0x5a), target(chunk);
  return MedianOfRuns(runs, [&] {
    const double start = NowSeconds();
    for (uint64_t done = 0; done < total; done += chunk) {
      std::memcpy(target.data(), source.data(), chunk);
      // Keeps the compiler from dropping copies whose result is never read.
      asm volatile("" : : "r"(target.data()) : "memory");
    }
    return MegabytesPerSecond(total, NowSeconds() - start);
  });
}

}  // namespace zorvik::bench
