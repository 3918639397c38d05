// CCallTrace: the entry and exit lines of one interface call or lock
// operation.  The trace is opened first and closed last; the method stores its
// HRESULT in it and returns what it holds, so the exit line shows exactly
// what the caller receives, with the driver error code and the elapsed time.
#pragma once

#include <windows.h>

#include "logger.h"

namespace zorvik {

class CCallTrace {
 public:
  // `label` must outlive the trace (a literal).  `session` is the call's
  // session handle or 0; `error_code` the caller's error-code pointer, read
  // only when the exit line is written, or null.  The trace's lines use the
  // function attribute category | LOG_ATTR_TRACE | LOG_ATTR_DETAIL.
  CCallTrace(const char* label, DWORD session, DWORD* error_code, DWORD category);
  // Writes the exit line when the entry line was written, so filtering a
  // category never hides the failures of the calls it still shows.
  virtual ~CCallTrace();
  CCallTrace(const CCallTrace&) = delete;
  CCallTrace& operator=(const CCallTrace&) = delete;

  CCallTrace& operator=(HRESULT result) {
    result_ = result;
    return *this;
  }
  operator HRESULT() const { return result_; }

 private:
  void WriteEntry();
  void WriteExit(int32_t depth);

  HRESULT result_ = S_OK;
  const char* label_;
  DWORD start_tick_ = 0;
  DWORD session_;
  DWORD* error_code_;
  CLogger logger_;
};

}  // namespace zorvik
