// The IScanner and IButton methods, listed once: the COM object declares and
// forwards each of them from this list (scanner_object.h, device_forwarding.cpp).
// Every entry is
//   METHOD(interface, name, (parameters), (arguments), error-code parameter)
// with the parameters exactly as the interface declares them.
#pragma once

// clang-format off
#define ZORVIK_DEVICE_METHODS(METHOD)                                                          \
  METHOD(IScanner, OpenScannerSession,                                                         \
         (LPWSTR pszDevName, DWORD dwDevIOType, DWORD* phSession, DWORD* pdwErrorCode),        \
         (pszDevName, dwDevIOType, phSession, pdwErrorCode), pdwErrorCode)                     \
  METHOD(IScanner, CloseScannerSession, (DWORD hSession, DWORD* pdwErrorCode),                 \
         (hSession, pdwErrorCode), pdwErrorCode)                                               \
  METHOD(IScanner, LockScanner,                                                                \
         (DWORD hSession, WORD wLockType, DWORD dwTimeout, DWORD* pdwErrorCode),               \
         (hSession, wLockType, dwTimeout, pdwErrorCode), pdwErrorCode)                         \
  METHOD(IScanner, UnlockScanner, (DWORD hSession, DWORD* pdwErrorCode),                       \
         (hSession, pdwErrorCode), pdwErrorCode)                                               \
  METHOD(IScanner, GetLampStatus, (DWORD hSession, BYTE* pbLampOn, DWORD* pdwErrorCode),       \
         (hSession, pbLampOn, pdwErrorCode), pdwErrorCode)                                     \
  METHOD(IScanner, LampOn, (DWORD hSession, DWORD* pdwErrorCode), (hSession, pdwErrorCode),    \
         pdwErrorCode)                                                                         \
  METHOD(IScanner, LampOff, (DWORD hSession, DWORD* pdwErrorCode), (hSession, pdwErrorCode),   \
         pdwErrorCode)                                                                         \
  METHOD(IScanner, GetScannerCapabilities,                                                     \
         (DWORD hSession, SCANNER_CAPABILITIES* pScannerCapabilities, DWORD* pdwErrorCode),    \
         (hSession, pScannerCapabilities, pdwErrorCode), pdwErrorCode)                         \
  METHOD(IScanner, GetBufferInfo,                                                              \
         (DWORD hSession, SCANNER_PARAMETERS* pScanParam, BUFFER_INFO* pBufferInfo,            \
          DWORD* pdwdErrorCode),                                                               \
         (hSession, pScanParam, pBufferInfo, pdwdErrorCode), pdwdErrorCode)                    \
  METHOD(IScanner, InitializeScanner, (DWORD hSession, DWORD* pdwErrorCode),                   \
         (hSession, pdwErrorCode), pdwErrorCode)                                               \
  METHOD(IScanner, ResetScanner, (DWORD hSession, DWORD* pdwErrorCode),                        \
         (hSession, pdwErrorCode), pdwErrorCode)                                               \
  METHOD(IScanner, SetScannerParameters,                                                       \
         (DWORD hSession, SCANNER_PARAMETERS* pScanParam, DWORD* pdwErrorCode),                \
         (hSession, pScanParam, pdwErrorCode), pdwErrorCode)                                   \
  METHOD(IScanner, SetGammaTable,                                                              \
         (DWORD hSession, DWORD uSz, BYTE* pbyRed, BYTE* pbyGreen, BYTE* pbyBlue,              \
          DWORD* pdwErrorCode),                                                                \
         (hSession, uSz, pbyRed, pbyGreen, pbyBlue, pdwErrorCode), pdwErrorCode)               \
  METHOD(IScanner, StartScan, (DWORD hSession, DWORD* pdwErrorCode), (hSession, pdwErrorCode), \
         pdwErrorCode)                                                                         \
  METHOD(IScanner, StopScan, (DWORD hSession, DWORD* pdwErrorCode), (hSession, pdwErrorCode),  \
         pdwErrorCode)                                                                         \
  METHOD(IScanner, ReadScan,                                                                   \
         (DWORD hSession, BYTE* pbyBuffer, DWORD dwBytes, DWORD* pdwErrorCode),                \
         (hSession, pbyBuffer, dwBytes, pdwErrorCode), pdwErrorCode)                           \
  METHOD(IScanner, ReadScanEx,                                                                 \
         (DWORD hSession, BYTE* pbyBuffer, DWORD dwBytes, DWORD* pdwBytesRead,                 \
          DWORD* pdwErrorCode),                                                                \
         (hSession, pbyBuffer, dwBytes, pdwBytesRead, pdwErrorCode), pdwErrorCode)             \
  METHOD(IButton, GetButtonCount, (DWORD hSession, WORD* pwButtonCount, DWORD* pdwErrorCode),  \
         (hSession, pwButtonCount, pdwErrorCode), pdwErrorCode)                                \
  METHOD(IButton, GetButtonState,                                                              \
         (DWORD hSession, BYTE byIndex, BYTE* pbyState, DWORD* pdwErrorCode),                  \
         (hSession, byIndex, pbyState, pdwErrorCode), pdwErrorCode)                            \
  METHOD(IButton, GetButtonStateEx,                                                            \
         (DWORD hSession, BYTE byCount, BYTE* pState, DWORD* pdwErrorCode),                    \
         (hSession, byCount, pState, pdwErrorCode), pdwErrorCode)                              \
  METHOD(IButton, ResetButton, (DWORD hSession, BYTE byIndex, DWORD* pdwErrorCode),            \
         (hSession, byIndex, pdwErrorCode), pdwErrorCode)                                      \
  METHOD(IButton, ResetButtonsEx, (DWORD hSession, DWORD* pdwErrorCode),                       \
         (hSession, pdwErrorCode), pdwErrorCode)
// clang-format on
