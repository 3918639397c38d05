// One way of reaching the scanner that the benchmarks time: the toolkit
// directly, the scanner object linked in, the COM object in-apartment, or
// the COM object in another apartment through its proxy. Each path opens the default device on
// creation, holds its lock for the whole benchmark, and gives everything back when destroyed.
#pragma once

#include <cstdint>
#include <memory>

#include "zorvik.h"

namespace zorvik::bench {

class BenchPath {
 public:
  virtual ~BenchPath() = default;
  virtual const char* Name() const = 0;
  // One GetLampStatus; false when it fails.
  virtual bool LampStatus() = 0;
  // Sets the scan parameters and identity gamma tables, then starts the scan.
  virtual bool StartScan(const SCANNER_PARAMETERS& params) = 0;
  // The next `bytes` image bytes into `buffer`.
  virtual bool ReadScan(uint8_t* buffer, uint32_t bytes) = 0;
  virtual bool StopScan() = 0;
  // The component's geometry for `params`; false where the path has none.
  virtual bool BufferInfo(const SCANNER_PARAMETERS& /*params*/, BUFFER_INFO* /*info*/) {
    return false;
  }
};

// Each returns null, with the reason on stderr, when the path cannot be set up.
std::unique_ptr<BenchPath> MakeToolkitPath();
// The toolkit directly, selecting the device with SetIOHandle before each
// call as the component does.
std::unique_ptr<BenchPath> MakeToolkitSelectingPath();
// `device` is a device path, or null for the default device.
std::unique_ptr<BenchPath> MakeScannerObjectPath(const wchar_t* device = nullptr);
// These need zorvik.dll registered and the calling thread in an apartment.
std::unique_ptr<BenchPath> MakeComPath();
class OtherApartment;
// The object made in a single-threaded apartment of its own.
std::unique_ptr<BenchPath> MakeCrossApartmentPath();
// The object made in `apartment`, which must outlive the path.
std::unique_ptr<BenchPath> MakeCrossApartmentPath(OtherApartment& apartment);

// 256 entries mapping each value to itself.
const uint8_t* IdentityGammaTable();

}  // namespace zorvik::bench
