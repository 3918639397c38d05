// Handing the session's device lock to the host. The lock itself (types,
// counting, waiting, other processes) is CScannerLock's.
#include "driver_error.h"
#include "session_call.h"
#include "zorvik_object.h"

namespace zorvik {

HRESULT zorvik::LockScanner(DWORD hSession, WORD wLockType, DWORD dwTimeout, DWORD* pdwErrorCode) {
  CSessionCall call("zorvik::LockScanner", hSession, pdwErrorCode);
  if (call.BeginSessionCall() && !call.session().lock().Lock(wLockType, dwTimeout))
    call.Fail(kErrScannerLockFailed);
  return call.result();
}

HRESULT zorvik::UnlockScanner(DWORD hSession, DWORD* pdwErrorCode) {
  CSessionCall call("zorvik::UnlockScanner", hSession, pdwErrorCode);
  if (call.BeginSessionCall() && !call.session().lock().Unlock()) call.Fail(kErrScannerNotLocked);
  return call.result();
}

}  // namespace zorvik
