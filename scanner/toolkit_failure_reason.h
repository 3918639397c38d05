// MapToolkitStatus: the reason for a failed toolkit request, asked of the
// toolkit right after the failure and turned into a driver error code.
#pragma once

#include <windows.h>

#include "scanner_session.h"

namespace zorvik {

// Selects the session's device, asks GetScannerStatus for the error status
// and stores the driver error code it maps to through `error_code` (9, Unknown
// Toolkit Error, when the toolkit cannot report a status). Always returns
// E_FAIL, also when the status maps to code 0: the request did fail.
HRESULT MapToolkitStatus(CScannerSession& session, DWORD* error_code);

}  // namespace zorvik
