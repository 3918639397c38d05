// COM for a host's thread, and the registered scanner object created on it,
// each step's failure reported the one way every host program reports it.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include "call_report.h"
#include "com_apartment.h"
#include "zorvik.h"

namespace zorvik::host {

// Looks up Zorvik.Scanner and creates it. False, with the failed step
// reported, when it is not registered or cannot be created.
bool CreateScanner(CallReport& report, Microsoft::WRL::ComPtr<IScanner>* scanner);

// GetScannerCapabilities on an open session the caller has locked.
bool ReadCapabilities(IScanner* scanner, DWORD session, CallReport& report,
                      SCANNER_CAPABILITIES* capabilities);

}  // namespace zorvik::host
