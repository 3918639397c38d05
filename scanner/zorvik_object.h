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
