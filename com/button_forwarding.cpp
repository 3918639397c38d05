// IButton on the ZORVIK object: each method passes its arguments unchanged to
// the zorvik member of the same name and returns its result.  Members that
// zorvik does not have yet answer through NotYetForwarded.
#include "not_yet_forwarded.h"
#include "scanner_object.h"

namespace zorvik {

HRESULT CScanner::GetButtonCount(DWORD hSession, WORD* pwButtonCount, DWORD* pdwErrorCode) {
  return NotYetForwarded(hSession, pwButtonCount, pdwErrorCode);
}

HRESULT CScanner::GetButtonState(DWORD hSession, BYTE byIndex, BYTE* pbyState,
                                 DWORD* pdwErrorCode) {
  return NotYetForwarded(hSession, byIndex, pbyState, pdwErrorCode);
}

HRESULT CScanner::GetButtonStateEx(DWORD hSession, BYTE byCount, BYTE* pState,
                                   DWORD* pdwErrorCode) {
  return NotYetForwarded(hSession, byCount, pState, pdwErrorCode);
}

HRESULT CScanner::ResetButton(DWORD hSession, BYTE byIndex, DWORD* pdwErrorCode) {
  return NotYetForwarded(hSession, byIndex, pdwErrorCode);
}

HRESULT CScanner::ResetButtonsEx(DWORD hSession, DWORD* pdwErrorCode) {
  return NotYetForwarded(hSession, pdwErrorCode);
}

}  // namespace zorvik
