// The toolkit's error statuses grouped by what a host can do about them.
#include "toolkit_status_map.h"

namespace zorvik {

DriverError DriverErrorFromToolkitStatus(uint8_t errorStatus) {
  switch (errorStatus) {
    case 0:
      return kErrNoError;
    case 1:
    case 2:
      return kErrScannerNotFound;
    case 3:
    case 8:
    case 123:
    case 150:
    case 152:
    case 154:
    case 155:
    case 156:
    case 157:
    case 158:
    case 159:
    case 163:
    case 164:
    case 174:
      return kErrCommunicationFailure;
    case 7:
      return kErrCalibrationFailed;
    case 176:
    case 177:
    case 179:
      return kErrCarriageNotHome;
    case 178:
      return kErrLampOff;
    default:
      // Every other status, also any a later toolkit may add.
      return kErrInvalidParameter;
  }
}

}  // namespace zorvik
