// CSessionCall: the frame that every IScanner and IButton method of the
// scanner object runs in. It opens the call trace, pairs the HRESULT with the
// driver error code in one place, and gives the method its session and a
// checked way to call the toolkit. A device operation then reads:
//
//   HRESULT zorvik::LampOn(DWORD hSession, DWORD* pdwErrorCode) {
//     CSessionCall call("zorvik::LampOn", hSession, pdwErrorCode);
//     if (call.BeginDeviceCall())
//       call.CallToolkit([](CToolkitInterface& toolkit) { return toolkit.LampOn(); });
//     return call.result();
//   }
//
// The trace is closed when the frame goes, after the method's result has been
// taken, so its exit line shows exactly what the caller receives.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <memory>

#include "call_trace.h"
#include "toolkit_failure_reason.h"
#include "scanner_session.h"

namespace zorvik {

class CSessionCall {
 public:
  // Opens the trace `label` (a literal) for `hSession` (0 when the call has
  // none yet) with the caller's error-code pointer; `category` is 0, or
  // LOG_ATTR_BUTTON for the button methods. The result starts at S_OK.
  CSessionCall(const char* label, DWORD hSession, DWORD* pdwErrorCode, DWORD category = 0);
  CSessionCall(const CSessionCall&) = delete;
  CSessionCall& operator=(const CSessionCall&) = delete;

  // A null error-code pointer, or a null pointer among `out_pointers`, gives
  // E_POINTER and nothing is written. Otherwise the error code is set to 0.
  bool BeginCall(std::initializer_list<const void*> out_pointers = {});
  // BeginCall, then the handle must name an open session: error code 1
  // (Invalid Session) otherwise. The call holds the session from here on.
  bool BeginSessionCall(std::initializer_list<const void*> out_pointers = {});
  // BeginSessionCall, then the caller must hold the session's device lock:
  // error code 4 (Scanner Not Locked) otherwise.
  bool BeginDeviceCall(std::initializer_list<const void*> out_pointers = {});

  // One toolkit request on the session's device: selects the device, calls
  // `request(CToolkitInterface&)`, and when it returns 0 lets MapToolkitStatus
  // set the error code and E_FAIL. True when the request succeeded. A session
  // without a toolkit binding fails like a toolkit that cannot say why. The
  // failure and the question why are one ToolkitStep, so the status asked is
  // that of this request.
  template <typename Request>
  bool CallToolkit(Request&& request) {
    const ToolkitStep step;
    if (session_->MakeRequest(request) != 0) return true;
    trace_ = MapToolkitStatus(*session_, error_code_);
    return false;
  }

  // Stores `error_code` and E_FAIL as the call's outcome; returns E_FAIL.
  HRESULT Fail(DWORD error_code);
  // Stores `result` with the error code left as it is.
  void SetResult(HRESULT result) { trace_ = result; }
  HRESULT result() const { return pointer_refused_ ? E_POINTER : static_cast<HRESULT>(trace_); }

  // The session, once BeginSessionCall has accepted the handle.
  CScannerSession& session() { return *session_; }
  // This call's reference to it.
  const std::shared_ptr<CScannerSession>& session_reference() const { return session_; }
  DWORD* error_code() const { return error_code_; }

 private:
  // Declared first, so that it is closed last: a session whose last reference
  // this call holds is ended inside the trace.
  CCallTrace trace_;
  DWORD* const error_code_;
  const DWORD handle_;
  std::shared_ptr<CScannerSession> session_;
  bool pointer_refused_ = false;
};

}  // namespace zorvik
