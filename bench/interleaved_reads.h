// Two ways of reading the same scan, timed read by read in turn: the subject
// (a path through the component) starts the scan and reads one chunk, then
// the reference reads the next chunk of the same scan on the same device,
// and so on. A change in the machine's load moves both sides of every pair
// alike, so the median over the pairs shows the subject's own cost.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "bench_path.h"
#include "unique_resource.h"

namespace zorvik::bench {

// Reads the next `bytes` of the scan running on the device selected last.
using NextBytesReader = std::function<bool(uint8_t* buffer, uint32_t bytes)>;

struct InterleavedReads {
  double subject_mbps = -1.0;    // chunk / the median time of the subject's reads
  double reference_mbps = -1.0;  // the same for the reference
  double ratio = -1.0;           // the median of reference time / subject time per pair
  double added_ns = 0.0;         // the interquartile mean of subject time - reference time per pair
};

// `pairs` pairs of `chunk`-byte reads on the scan window BenchScanWindow();
// the scan is started again (outside the clock) whenever the next pair would
// run past its end. The side that reads first alternates from pair to pair.
// Negative figures when a call fails.
InterleavedReads InterleaveReads(BenchPath& subject, const NextBytesReader& reference,
                                 uint32_t chunk, int pairs);

// The toolkit's own ReadScan entry point, called with nothing around it, on
// the KELMARTK.DLL the component loaded (the copy beside this program). Made
// on the thread that will read: it selects the default device there once, as
// the component does before each request, so its reads go to the same device
// as the component's.
class ToolkitScanReader {
 public:
  ToolkitScanReader();
  bool valid() const { return read_scan_ != nullptr; }
  bool Read(uint8_t* buffer, uint32_t bytes) const;

 private:
  using ReadScanEntry = int32_t(WINAPI*)(uint8_t* status, uint8_t* buffer, uint32_t bytes);
  UniqueModule module_;
  ReadScanEntry read_scan_ = nullptr;
};

}  // namespace zorvik::bench
