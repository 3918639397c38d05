// IButton on the ZORVIK object: each method passes its arguments unchanged to
// the zorvik member of the same name and returns its result; no exception
// gets past it (CallAtBoundary).
#include "com_boundary.h"
#include "scanner_object.h"

namespace zorvik {

HRESULT CScanner::GetButtonCount(DWORD hSession, WORD* pwButtonCount, DWORD* pdwErrorCode) {
  return CallAtBoundary("IButton::GetButtonCount", pdwErrorCode, [&] {
    return scanner_.GetButtonCount(hSession, pwButtonCount, pdwErrorCode);
  });
}

HRESULT CScanner::GetButtonState(DWORD hSession, BYTE byIndex, BYTE* pbyState,
                                 DWORD* pdwErrorCode) {
  return CallAtBoundary("IButton::GetButtonState", pdwErrorCode, [&] {
    return scanner_.GetButtonState(hSession, byIndex, pbyState, pdwErrorCode);
  });
}

HRESULT CScanner::GetButtonStateEx(DWORD hSession, BYTE byCount, BYTE* pState,
                                   DWORD* pdwErrorCode) {
  return CallAtBoundary("IButton::GetButtonStateEx", pdwErrorCode, [&] {
    return scanner_.GetButtonStateEx(hSession, byCount, pState, pdwErrorCode);
  });
}

HRESULT CScanner::ResetButton(DWORD hSession, BYTE byIndex, DWORD* pdwErrorCode) {
  return CallAtBoundary("IButton::ResetButton", pdwErrorCode,
                        [&] { return scanner_.ResetButton(hSession, byIndex, pdwErrorCode); });
}

HRESULT CScanner::ResetButtonsEx(DWORD hSession, DWORD* pdwErrorCode) {
  return CallAtBoundary("IButton::ResetButtonsEx", pdwErrorCode,
                        [&] { return scanner_.ResetButtonsEx(hSession, pdwErrorCode); });
}

}  // namespace zorvik
