// Driver error codes: the number every IScanner and IButton method reports
// beside its HRESULT, and the names the call trace prints for them. The
// values and names are the public contract's (zorvik_contract.h); these are
// the component's C++ names for them.
#pragma once

#include <cstdint>

#include "zorvik_contract.h"

namespace zorvik {

enum DriverError : uint32_t {
  kErrNoError = ZORVIK_ERROR_NO_ERROR,
  kErrInvalidSession = ZORVIK_ERROR_INVALID_SESSION,
  kErrInvalidParameter = ZORVIK_ERROR_INVALID_PARAMETER,
  kErrScannerNotFound = ZORVIK_ERROR_SCANNER_NOT_FOUND,
  kErrScannerNotLocked = ZORVIK_ERROR_SCANNER_NOT_LOCKED,
  kErrScannerLockFailed = ZORVIK_ERROR_SCANNER_LOCK_FAILED,
  kErrLampOff = ZORVIK_ERROR_LAMP_OFF,
  kErrCalibrationFailed = ZORVIK_ERROR_CALIBRATION_FAILED,
  kErrOutOfMemory = ZORVIK_ERROR_OUT_OF_MEMORY,
  kErrUnknownToolkitError = ZORVIK_ERROR_UNKNOWN_TOOLKIT_ERROR,
  kErrNotImplemented = ZORVIK_ERROR_NOT_IMPLEMENTED,
  kErrCarriageNotHome = ZORVIK_ERROR_CARRIAGE_NOT_HOME,
  kErrCommunicationFailure = ZORVIK_ERROR_COMMUNICATION_FAILURE,
  kErrToolkitOpenFailure = ZORVIK_ERROR_TOOLKIT_OPEN_FAILURE,
  kErrInvalidHwProperty = ZORVIK_ERROR_INVALID_HW_PROPERTY,
  kErrUnexpectedEndOfMedia = ZORVIK_ERROR_UNEXPECTED_END_OF_MEDIA,
  kErrCancelButtonPressed = ZORVIK_ERROR_CANCEL_BUTTON_PRESSED,
  kErrAdfJammed = ZORVIK_ERROR_ADF_JAMMED,
  kErrAdfEmpty = ZORVIK_ERROR_ADF_EMPTY,
  kErrAdfUnexpectedEndOfPage = ZORVIK_ERROR_ADF_UNEXPECTED_END_OF_PAGE,
};

// The name of a driver error code; "no definition" for every unassigned number.
inline const char* DriverErrorName(uint32_t code) { return ZorvikDriverErrorName(code); }

}  // namespace zorvik
