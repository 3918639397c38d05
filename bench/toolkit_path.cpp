// The baseline path: the toolkit's entry points called directly through
// CToolkitInterface, with no session, lock, trace or translation per call.
#include <cstdio>

#include "bench_path.h"
#include "scan_parameter_translation.h"
#include "toolkit_interface.h"

namespace zorvik::bench {
namespace {

class ToolkitPath : public BenchPath {
 public:
  explicit ToolkitPath(bool select_each_call) : select_each_call_(select_each_call) {}
  bool Open() {
    if (!toolkit_.IsValid()) return false;
    // The null handle selects the simulator's built-in default device.
    return toolkit_.SetIOHandle(nullptr) != 0 && toolkit_.InitializeDriver() != 0 &&
           toolkit_.InitializeScanner() != 0 && toolkit_.GetScannerAbilityEx(&ability_) != 0;
  }
  ~ToolkitPath() override { toolkit_.ClearIOHandle(); }

  const char* Name() const override {
    return select_each_call_ ? "toolkit direct + SetIOHandle" : "toolkit direct";
  }
  bool LampStatus() override {
    uint8_t lamp = 0;
    if (select_each_call_ && toolkit_.SetIOHandle(nullptr) == 0) return false;
    return toolkit_.GetLightStatus(&lamp) != 0;
  }
  bool StartScan(const SCANNER_PARAMETERS& params) override {
    if (TranslateScanParameters(params, ToolkitModelName(ability_), record_) != kErrNoError)
      return false;
    const uint8_t* gamma = IdentityGammaTable();
    return toolkit_.SetScanParameter(&record_) != 0 &&
           toolkit_.SetGammaTable(gamma, 1, ZORVIK_GAMMA_TABLE_SIZE) != 0 &&
           toolkit_.SetGammaTable(gamma, 2, ZORVIK_GAMMA_TABLE_SIZE) != 0 &&
           toolkit_.SetGammaTable(gamma, 3, ZORVIK_GAMMA_TABLE_SIZE) != 0 &&
           toolkit_.StartScan() != 0;
  }
  bool ReadScan(uint8_t* buffer, uint32_t bytes) override {
    uint8_t status = 0;
    if (select_each_call_ && toolkit_.SetIOHandle(nullptr) == 0) return false;
    return toolkit_.ReadScan(&status, buffer, bytes) != 0 && status == 0;
  }
  bool StopScan() override { return toolkit_.StopScan() != 0; }

 private:
  const bool select_each_call_;
  CToolkitInterface toolkit_{kToolkitUsbIoType};
  TOOLKIT_ABILITY ability_{};
  TOOLKIT_SCAN_PARAMETER record_{};
};

std::unique_ptr<BenchPath> MakeToolkit(bool select_each_call) {
  auto path = std::make_unique<ToolkitPath>(select_each_call);
  if (path->Open()) return path;
  std::fprintf(stderr, "zorvik_bench: the toolkit KELMARTK.DLL could not be set up\n");
  return nullptr;
}

}  // namespace

std::unique_ptr<BenchPath> MakeToolkitPath() { return MakeToolkit(false); }
std::unique_ptr<BenchPath> MakeToolkitSelectingPath() { return MakeToolkit(true); }

}  // namespace zorvik::bench
