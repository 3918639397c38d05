#include "driver_error.h"

namespace zorvik {

namespace {

struct NamedError {
  uint32_t code;
  const char* name;
};

// The one table of driver error names; hosts and log readers see these texts.
constexpr NamedError kNames[] = {
    {kErrNoError, "No Error"},
    {kErrInvalidSession, "Invalid Session"},
    {kErrInvalidParameter, "Invalid Parameter Specified"},
    {kErrScannerNotFound, "Scanner Not Found"},
    {kErrScannerNotLocked, "Scanner Not Locked"},
    {kErrScannerLockFailed, "Scanner Lock Failed"},
    {kErrLampOff, "Scanner Lamp is Off"},
    {kErrCalibrationFailed, "Scanner Calibration Failed"},
    {kErrOutOfMemory, "Out of Memory"},
    {kErrUnknownToolkitError, "Unknown Toolkit Error"},
    {kErrNotImplemented, "Method Not Implemented"},
    {kErrCarriageNotHome, "Scanner carriage failed to return home"},
    {kErrCommunicationFailure, "Scanner communication failure"},
    {kErrToolkitOpenFailure, "Toolkit open failure"},
    {kErrInvalidHwProperty, "Invalid HW Property"},
    {kErrUnexpectedEndOfMedia, "Unexpected end of media"},
    {kErrCancelButtonPressed, "Cancel button pressed"},
    {kErrAdfJammed, "ADF is Jammed"},
    {kErrAdfEmpty, "ADF is empty"},
    {kErrAdfUnexpectedEndOfPage, "ADF unexpected end of page"},
};

}  // namespace

const char* DriverErrorName(uint32_t code) {
  for (const NamedError& entry : kNames) {
    if (entry.code == code) return entry.name;
  }
  return "no definition";
}

}  // namespace zorvik
