// A ZORVIK object created in this thread's single-threaded apartment and
// called from another one through the proxies of zorvik.dll, as a host with
// several apartments does.  zorvik.dll must be registered (see
// scoped_registration.h).
#pragma once

#include <windows.h>

#include <functional>

#include "zorvik.h"

namespace zorvik::test {

// Runs `call` in another single-threaded apartment with the object's IScanner
// proxy (IButton and ILog are a QueryInterface away), while this thread serves
// the calls.  False, with a test failure, when the object cannot be made or
// marshalled, or the call does not finish within `timeout_ms`.
bool CallScannerFromOtherApartment(const std::function<void(IScanner* proxy)>& call,
                                   DWORD timeout_ms = 30000);

}  // namespace zorvik::test
