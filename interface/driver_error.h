// Driver error codes: the number every IScanner and IButton method reports
// beside its HRESULT, and the names the call trace prints for them.
#pragma once

#include <cstdint>

namespace zorvik {

enum DriverError : uint32_t {
  kErrNoError = 0,
  kErrInvalidSession = 1,
  kErrInvalidParameter = 2,
  kErrScannerNotFound = 3,
  kErrScannerNotLocked = 4,
  kErrScannerLockFailed = 5,
  kErrLampOff = 6,
  kErrCalibrationFailed = 7,
  kErrOutOfMemory = 8,
  kErrUnknownToolkitError = 9,
  kErrNotImplemented = 10,
  kErrCarriageNotHome = 11,
  kErrCommunicationFailure = 12,
  kErrToolkitOpenFailure = 13,
  kErrInvalidHwProperty = 14,
  kErrUnexpectedEndOfMedia = 15,
  kErrCancelButtonPressed = 16,
  kErrAdfJammed = 100,
  kErrAdfEmpty = 101,
  kErrAdfUnexpectedEndOfPage = 102,
};

// The name of a driver error code; "no definition" for every unassigned number.
const char* DriverErrorName(uint32_t code);

}  // namespace zorvik
