// The first open of a session: bringing the device up under its lock.
#pragma once

#include <windows.h>

#include "logger.h"
#include "scanner_session.h"

namespace zorvik {

// Takes the session's lock (THREAD), binds the toolkit for the low 16 bits
// of `io_type`, opens `device_path` when one is given (null: the toolkit's
// default device), runs the toolkit's start-up sequence (SetIOHandle,
// InitializeDriver, InitializeScanner with its retries, InitialButton,
// GetScannerAbilityEx), dumps the ability record and gives the lock back.
// Returns S_OK, or E_FAIL with the driver error code stored in *error_code;
// after a failure the lock may still be held and the binding and device may
// be set: the caller discards the session, which undoes them.
HRESULT SetUpDevice(CScannerSession& session, const char* device_path, DWORD io_type, CLogger& log,
                    DWORD* error_code);

}  // namespace zorvik
