// The error statuses the simulated toolkit reports through the fourth byte
// of GetScannerStatus for failures of its own making. Scripted faults may
// report any other value.
#pragma once

#include <cstdint>

namespace zorvik::sim {

enum ErrorStatus : uint8_t {
  kStatusNone = 0,
  kStatusNoDevice = 1,         // nothing readable behind the selected handle
  kStatusOutOfSequence = 4,    // scanner not initialised, no scan running, scan busy
  kStatusInvalidArgument = 5,  // null pointer, bad table, rejected scan parameters
  kStatusPastEndOfImage = 6,   // a read asked for more bytes than the image has left
  kStatusLampOff = 178,        // a scan was started with the lamp off
};

}  // namespace zorvik::sim
