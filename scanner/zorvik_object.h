// zorvik: the implementation class behind the scanner object's interfaces.
// Every COM object of the coclass holds one and forwards each interface
// method, unchanged, to the member function of the same name.  (The file is
// not called zorvik.h: that name belongs to the widl header of the interfaces.)
#pragma once

#include <windows.h>

#include <string>

#include "log_settings.h"
#include "zorvik.h"

namespace zorvik {

class zorvik {
 public:
  // Fetches the process-wide log settings for the ZORVIK class (reading the
  // registry the first time in the process) and logs "zorvik::Constructor".
  zorvik();
  // Logs "zorvik::Destructor"; closes no session.
  virtual ~zorvik();
  zorvik(const zorvik&) = delete;
  zorvik& operator=(const zorvik&) = delete;

  // IScanner: opens a session on the device pszDevName (a path opened as a
  // file; null: the toolkit's default device under the name "zorvik"), or
  // counts one more open of a session that is already open, and stores its
  // handle through phSession (0 when the open fails).
  HRESULT OpenScannerSession(LPWSTR pszDevName, DWORD dwDevIOType, DWORD* phSession,
                             DWORD* pdwErrorCode);
  // IScanner: counts one open off; the last close ends the device.
  HRESULT CloseScannerSession(DWORD hSession, DWORD* pdwErrorCode);
  // IScanner: takes or re-enters the session's device lock (0 PROCESS,
  // 1 THREAD), waiting at most dwTimeout milliseconds.
  HRESULT LockScanner(DWORD hSession, WORD wLockType, DWORD dwTimeout, DWORD* pdwErrorCode);
  // IScanner: gives up one level of the session's device lock.
  HRESULT UnlockScanner(DWORD hSession, DWORD* pdwErrorCode);

  // Every method below needs a valid session (error code 1) whose device
  // lock the calling thread or process holds (error code 4); a failed toolkit
  // request reports the toolkit's own reason. Null out-pointers give
  // E_POINTER with nothing written.

  // IScanner: the lamp state byte exactly as the toolkit reports it.
  HRESULT GetLampStatus(DWORD hSession, BYTE* pbLampOn, DWORD* pdwErrorCode);
  // IScanner: switch the lamp.
  HRESULT LampOn(DWORD hSession, DWORD* pdwErrorCode);
  HRESULT LampOff(DWORD hSession, DWORD* pdwErrorCode);
  // IScanner: the model's constants and the limits the toolkit reported at
  // open, in all 124 bytes of *pScannerCapabilities (zero on failure).
  HRESULT GetScannerCapabilities(DWORD hSession, SCANNER_CAPABILITIES* pScannerCapabilities,
                                 DWORD* pdwErrorCode);
  // IScanner: the image geometry *pScanParam gives (pixels, lines, bytes per
  // line); *pBufferInfo is untouched on failure. Error code 2 for a record
  // the toolkit cannot scan, 9 when the toolkit reported no colour pixel bound.
  HRESULT GetBufferInfo(DWORD hSession, SCANNER_PARAMETERS* pScanParam, BUFFER_INFO* pBufferInfo,
                        DWORD* pdwdErrorCode);
  // IScanner: only checks the handle and the lock; the device was
  // initialised when the session was opened.
  HRESULT InitializeScanner(DWORD hSession, DWORD* pdwErrorCode);
  // IScanner: resets the device, ending any scan.
  HRESULT ResetScanner(DWORD hSession, DWORD* pdwErrorCode);
  // IScanner: translates *pScanParam into the toolkit record the next
  // StartScan sends. Error code 2 for a record the toolkit cannot scan.
  HRESULT SetScannerParameters(DWORD hSession, SCANNER_PARAMETERS* pScanParam, DWORD* pdwErrorCode);
  // IScanner: replaces the first uSz entries of the session's three gamma
  // tables (256 entries each; a larger uSz gives error code 2 and changes
  // nothing). The tables go to the toolkit with every StartScan.
  HRESULT SetGammaTable(DWORD hSession, DWORD uSz, BYTE* pbyRed, BYTE* pbyGreen, BYTE* pbyBlue,
                        DWORD* pdwErrorCode);
  // IScanner: sends the scan parameters and the three gamma tables, then
  // starts the scan; stops at the first request the toolkit refuses.
  HRESULT StartScan(DWORD hSession, DWORD* pdwErrorCode);
  HRESULT StopScan(DWORD hSession, DWORD* pdwErrorCode);
  // IScanner: the next dwBytes bytes of the image, straight from the toolkit
  // into pbyBuffer.
  HRESULT ReadScan(DWORD hSession, BYTE* pbyBuffer, DWORD dwBytes, DWORD* pdwErrorCode);
  // IScanner: ReadScan that also stores the bytes read: dwBytes on success,
  // 0 on failure.
  HRESULT ReadScanEx(DWORD hSession, BYTE* pbyBuffer, DWORD dwBytes, DWORD* pdwBytesRead,
                     DWORD* pdwErrorCode);

  // IButton: the number of front-panel buttons (0 on failure).
  HRESULT GetButtonCount(DWORD hSession, WORD* pwButtonCount, DWORD* pdwErrorCode);
  // IButton: *pbyState 1 when the toolkit has a press of button byIndex
  // (numbered from 1) recorded, else 0.
  HRESULT GetButtonState(DWORD hSession, BYTE byIndex, BYTE* pbyState, DWORD* pdwErrorCode);
  // IButton: the byCount bytes of pState: 1 in element n - 1 for a recorded
  // press of button n, 0 elsewhere. Error code 9 for a press without a
  // button number.
  HRESULT GetButtonStateEx(DWORD hSession, BYTE byCount, BYTE* pState, DWORD* pdwErrorCode);
  // IButton: clearing one button is not supported: always E_NOTIMPL with
  // error code 10, on any handle and without the lock.
  HRESULT ResetButton(DWORD hSession, BYTE byIndex, DWORD* pdwErrorCode);
  // IButton: clears the toolkit's recorded press.
  HRESULT ResetButtonsEx(DWORD hSession, DWORD* pdwErrorCode);

  // ILog: writes pszString as one log line when lines with these attribute
  // bits are wanted.  Always S_OK; a null or unconvertible string writes
  // nothing.
  HRESULT LogString(DWORD dwFunctionAttribute, LPWSTR pszString);

  // ILog: stores 1 when a line with these attribute bits would be written,
  // else 0.  Always S_OK; a null pbyEnabled is left alone.
  HRESULT IsEnabled(DWORD dwFunctionAttribute, BYTE* pbyEnabled);

 private:
  CLogSettings* log_settings_;
  // The session key used when the host gives no device name.
  std::string name_;
};

}  // namespace zorvik
