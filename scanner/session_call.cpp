// The method frame: pointer checks, the error code's reset, the session's
// validation and the lock check, in the order every method makes them.
#include "session_call.h"

#include "driver_error.h"
#include "session_table.h"

namespace zorvik {

CSessionCall::CSessionCall(const char* label, DWORD hSession, DWORD* pdwErrorCode, DWORD category)
    : trace_(label, hSession, pdwErrorCode, category),
      error_code_(pdwErrorCode),
      handle_(hSession) {}

bool CSessionCall::BeginCall(std::initializer_list<const void*> out_pointers) {
  bool all_given = error_code_ != nullptr;
  for (const void* pointer : out_pointers) all_given = all_given && pointer != nullptr;
  if (!all_given) {
    // The caller gets E_POINTER; the trace keeps its starting result, so its
    // exit line shows what the method had stored when it was refused.
    pointer_refused_ = true;
    return false;
  }
  *error_code_ = kErrNoError;
  return true;
}

bool CSessionCall::BeginSessionCall(std::initializer_list<const void*> out_pointers) {
  if (!BeginCall(out_pointers)) return false;
  session_ = CSessionTable::Instance().ValidateSession(handle_);
  if (!session_) {
    Fail(kErrInvalidSession);
    return false;
  }
  return true;
}

bool CSessionCall::BeginDeviceCall(std::initializer_list<const void*> out_pointers) {
  if (!BeginSessionCall(out_pointers)) return false;
  if (!session_->lock().IsLockedByCaller()) {
    Fail(kErrScannerNotLocked);
    return false;
  }
  return true;
}

HRESULT CSessionCall::Fail(DWORD error_code) {
  *error_code_ = error_code;
  trace_ = E_FAIL;
  return E_FAIL;
}

}  // namespace zorvik
