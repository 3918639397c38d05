// zorvik: the implementation class behind the scanner object's interfaces.
// Every COM object of the coclass holds one and forwards each interface
// method, unchanged, to the member function of the same name.  (The file is
// not called zorvik.h: that name belongs to the widl header of the interfaces.)
#pragma once

#include <windows.h>

#include <string>

#include "log_settings.h"

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
