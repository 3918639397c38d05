// Which driver error code a failed toolkit call reports, chosen from the error
// status the toolkit gives for the failure.
#pragma once

#include <cstdint>

#include "driver_error.h"

namespace zorvik {

// The driver error code for a toolkit error status (the fourth value of
// GetScannerStatus). Status 0 gives kErrNoError: the toolkit failed without
// saying why, and the caller still reports the failure through its HRESULT.
DriverError DriverErrorFromToolkitStatus(uint8_t errorStatus);

}  // namespace zorvik
