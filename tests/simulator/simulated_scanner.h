// The fixture of the simulator tests: the simulated toolkit held loaded (so
// its journal can be read) and driven through the component's own binding,
// plus the expected image of a scan computed from the chart's definition,
// independently of the simulator's image generator.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image_generator.h"
#include "simulator_control.h"
#include "toolkit_interface.h"

namespace zorvik::test {

using Gamma = sim::GammaTables;
// Tables that tell the channels apart: red reversed, green scrambled, blue halved.
Gamma DistinctTables();

// A record with the fields the simulator reads; the window's size in 1/300
// inch is derived from the pixel counts.
TOOLKIT_SCAN_PARAMETER ScanRecord(uint8_t scan_mode, uint8_t bits_per_pixel, uint16_t left,
                                  uint16_t top, uint16_t pixels, uint16_t lines,
                                  uint16_t x_resolution, uint16_t y_resolution, uint8_t invert = 0);

// The image the record asks for, byte for byte.
std::vector<uint8_t> ExpectedImage(const TOOLKIT_SCAN_PARAMETER& record, const Gamma& gamma);

class SimulatorTest : public testing::Test {
 protected:
  void SetUp() override;

  // Selects `device`, starts the driver and initialises the scanner.
  void StartUp(HANDLE device);
  // The error status the toolkit reports for its last failure.
  uint8_t ErrorStatus();
  void SendGamma(const Gamma& gamma);
  // Reads `bytes` of image in reads of `chunk` bytes, each into a buffer
  // whose tail must stay untouched; fails the test on any failed read.
  std::vector<uint8_t> ReadImage(size_t bytes, size_t chunk);
  std::string ModelName();

  sim::SimulatorControl simulator_;
  CToolkitInterface toolkit_{kToolkitUsbIoType};
};

}  // namespace zorvik::test
