// Asking the toolkit why a request failed.
#include "toolkit_failure_reason.h"

#include "driver_error.h"
#include "toolkit_status_map.h"

namespace zorvik {

HRESULT MapToolkitStatus(CScannerSession& session, DWORD* error_code) {
  TOOLKIT_STATUS status{};
  const bool reported = session.MakeRequest([&status](CToolkitInterface& toolkit) {
    return toolkit.GetScannerStatus(&status.Status1, &status.Status2, &status.Status3,
                                    &status.ErrorStatus);
  }) != 0;
  *error_code =
      reported ? DriverErrorFromToolkitStatus(status.ErrorStatus) : kErrUnknownToolkitError;
  return E_FAIL;
}

}  // namespace zorvik
