// IScanner on the ZORVIK object: each method passes its arguments unchanged
// to the zorvik member of the same name and returns its result; no exception
// gets past it (CallAtBoundary).
#include "com_boundary.h"
#include "scanner_object.h"

namespace zorvik {

HRESULT CScanner::OpenScannerSession(LPWSTR pszDevName, DWORD dwDevIOType, DWORD* phSession,
                                     DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::OpenScannerSession", pdwErrorCode, [&] {
    return scanner_.OpenScannerSession(pszDevName, dwDevIOType, phSession, pdwErrorCode);
  });
}

HRESULT CScanner::CloseScannerSession(DWORD hSession, DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::CloseScannerSession", pdwErrorCode,
                        [&] { return scanner_.CloseScannerSession(hSession, pdwErrorCode); });
}

HRESULT CScanner::LockScanner(DWORD hSession, WORD wLockType, DWORD dwTimeout,
                              DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::LockScanner", pdwErrorCode, [&] {
    return scanner_.LockScanner(hSession, wLockType, dwTimeout, pdwErrorCode);
  });
}

HRESULT CScanner::UnlockScanner(DWORD hSession, DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::UnlockScanner", pdwErrorCode,
                        [&] { return scanner_.UnlockScanner(hSession, pdwErrorCode); });
}

HRESULT CScanner::GetLampStatus(DWORD hSession, BYTE* pbLampOn, DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::GetLampStatus", pdwErrorCode,
                        [&] { return scanner_.GetLampStatus(hSession, pbLampOn, pdwErrorCode); });
}

HRESULT CScanner::LampOn(DWORD hSession, DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::LampOn", pdwErrorCode,
                        [&] { return scanner_.LampOn(hSession, pdwErrorCode); });
}

HRESULT CScanner::LampOff(DWORD hSession, DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::LampOff", pdwErrorCode,
                        [&] { return scanner_.LampOff(hSession, pdwErrorCode); });
}

HRESULT CScanner::GetScannerCapabilities(DWORD hSession, SCANNER_CAPABILITIES* pScannerCapabilities,
                                         DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::GetScannerCapabilities", pdwErrorCode, [&] {
    return scanner_.GetScannerCapabilities(hSession, pScannerCapabilities, pdwErrorCode);
  });
}

HRESULT CScanner::GetBufferInfo(DWORD hSession, SCANNER_PARAMETERS* pScanParam,
                                BUFFER_INFO* pBufferInfo, DWORD* pdwdErrorCode) {
  return CallAtBoundary("IScanner::GetBufferInfo", pdwdErrorCode, [&] {
    return scanner_.GetBufferInfo(hSession, pScanParam, pBufferInfo, pdwdErrorCode);
  });
}

HRESULT CScanner::InitializeScanner(DWORD hSession, DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::InitializeScanner", pdwErrorCode,
                        [&] { return scanner_.InitializeScanner(hSession, pdwErrorCode); });
}

HRESULT CScanner::ResetScanner(DWORD hSession, DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::ResetScanner", pdwErrorCode,
                        [&] { return scanner_.ResetScanner(hSession, pdwErrorCode); });
}

HRESULT CScanner::SetScannerParameters(DWORD hSession, SCANNER_PARAMETERS* pScanParam,
                                       DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::SetScannerParameters", pdwErrorCode, [&] {
    return scanner_.SetScannerParameters(hSession, pScanParam, pdwErrorCode);
  });
}

HRESULT CScanner::SetGammaTable(DWORD hSession, DWORD uSz, BYTE* pbyRed, BYTE* pbyGreen,
                                BYTE* pbyBlue, DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::SetGammaTable", pdwErrorCode, [&] {
    return scanner_.SetGammaTable(hSession, uSz, pbyRed, pbyGreen, pbyBlue, pdwErrorCode);
  });
}

HRESULT CScanner::StartScan(DWORD hSession, DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::StartScan", pdwErrorCode,
                        [&] { return scanner_.StartScan(hSession, pdwErrorCode); });
}

HRESULT CScanner::StopScan(DWORD hSession, DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::StopScan", pdwErrorCode,
                        [&] { return scanner_.StopScan(hSession, pdwErrorCode); });
}

HRESULT CScanner::ReadScan(DWORD hSession, BYTE* pbyBuffer, DWORD dwBytes, DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::ReadScan", pdwErrorCode, [&] {
    return scanner_.ReadScan(hSession, pbyBuffer, dwBytes, pdwErrorCode);
  });
}

HRESULT CScanner::ReadScanEx(DWORD hSession, BYTE* pbyBuffer, DWORD dwBytes, DWORD* pdwBytesRead,
                             DWORD* pdwErrorCode) {
  return CallAtBoundary("IScanner::ReadScanEx", pdwErrorCode, [&] {
    return scanner_.ReadScanEx(hSession, pbyBuffer, dwBytes, pdwBytesRead, pdwErrorCode);
  });
}

}  // namespace zorvik
