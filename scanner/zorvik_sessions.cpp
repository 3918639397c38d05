// Opening and closing sessions. A session is set up completely by its first
// open or not at all; opens that arrive meanwhile wait for that outcome and
// share it, and the last close ends the device.
#include <cstring>

#include "device_set_up.h"
#include "driver_error.h"
#include "scanner_lock.h"
#include "session_call.h"
#include "session_table.h"
#include "wide_to_multibyte.h"
#include "zorvik_object.h"

namespace zorvik {

namespace {

// Undoes a first open that failed: the session leaves the table whatever its
// count, its device is ended before its lock is given back, and the opens
// waiting for it learn the failure. Traced as the close it amounts to.
void AbandonSetUp(CScannerSession& session, DWORD error_code, CLogger& log) {
  DWORD close_error = kErrNoError;
  CCallTrace trace("zorvik::CloseScannerSession", session.handle(), &close_error, 0);
  if (!CSessionTable::Instance().DiscardSession(session, log)) {
    close_error = kErrUnknownToolkitError;
    trace = E_FAIL;
  }
  session.FinishSetUp(SessionSetUp::kFailed, error_code);
}

}  // namespace

HRESULT zorvik::OpenScannerSession(LPWSTR pszDevName, DWORD dwDevIOType, DWORD* phSession,
                                   DWORD* pdwErrorCode) {
  CSessionCall call("zorvik::OpenScannerSession", 0, pdwErrorCode);
  CLogger log(LOG_ATTR_DETAIL);
  if (!call.BeginCall({phSession})) return call.result();
  *phSession = 0;

  // Without a name the session is the object's own; an empty name keeps that
  // key but still opens a device of that name.
  char device_name[kDeviceNameSize];
  const bool device_given = pszDevName != nullptr;
  if (device_given && pszDevName[0] != L'\0') {
    if (WideToMultiByte(device_name, pszDevName, sizeof(device_name)) == nullptr) {
      log.WriteLine("Device name does not fit or cannot be converted to the ANSI code page");
      return call.Fail(kErrInvalidParameter);
    }
    // The device's lock is a kernel object named after the name's last
    // component; one the platform cannot name is bad input, not a lock
    // failure.
    if (!CScannerLock::NameFits(device_name)) {
      log.WriteLine("The last component of the device name is too long to name its lock");
      return call.Fail(kErrInvalidParameter);
    }
  } else {
    strcpy_s(device_name, sizeof(device_name), name_.c_str());
  }

  int32_t open_count = 0;
  std::shared_ptr<CScannerSession> session =
      CSessionTable::Instance().AcquireSession(device_name, &open_count);
  const DWORD handle = session ? session->handle() : 0;
  log.WriteFormatted("Session ID is 0x%lx", handle);
  if (!session) return call.Fail(kErrInvalidParameter);

  if (open_count != 1) {
    // Already open, or still being set up by another open: its outcome is
    // this open's outcome. A failed set-up took the session, and this open's
    // count with it, out of the table.
    const DWORD set_up_error = session->WaitForSetUp();
    if (session->set_up() != SessionSetUp::kSucceeded) return call.Fail(set_up_error);
    *phSession = handle;
    return call.result();
  }

  if (FAILED(SetUpDevice(*session, device_given ? device_name : nullptr, dwDevIOType, log,
                         pdwErrorCode))) {
    call.SetResult(E_FAIL);
    AbandonSetUp(*session, *pdwErrorCode, log);
    return call.result();
  }
  session->FinishSetUp(SessionSetUp::kSucceeded, kErrNoError);
  *phSession = handle;
  return call.result();
}

HRESULT zorvik::CloseScannerSession(DWORD hSession, DWORD* pdwErrorCode) {
  CSessionCall call("zorvik::CloseScannerSession", hSession, pdwErrorCode);
  CLogger log(LOG_ATTR_DETAIL);
  if (!call.BeginSessionCall()) return call.result();

  int32_t remaining = 0;
  bool end_failed = false;
  // Another thread may have made the last close since the handle validated.
  // The last close ends the device unless another call is still using the
  // session; then the last of those calls ends it as it lets the session go.
  if (!CSessionTable::Instance().ReleaseSession(call.session_reference(), &remaining, log,
                                                &end_failed))
    return call.Fail(kErrInvalidSession);
  if (end_failed) call.Fail(kErrUnknownToolkitError);
  return call.result();
}

}  // namespace zorvik
