// The device-call sequence shared by the operations that are one toolkit
// request and nothing else (lamp, reset, stop, clearing the buttons): the
// method frame, the device selected, the request made once, and a refused
// request's reason taken from the toolkit.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "session_call.h"

namespace zorvik {

// Runs `request(CToolkitInterface&)` for the trace `label` (a literal) on a
// valid session whose device lock the caller holds, after checking
// `out_pointers` (the request's own out-parameters) and the error-code
// pointer. `category` is 0, or LOG_ATTR_BUTTON for the button operations.
// Returns the HRESULT the caller receives.
template <typename Request>
HRESULT RunDeviceCall(const char* label, DWORD hSession, DWORD* pdwErrorCode, DWORD category,
                      std::initializer_list<const void*> out_pointers, Request&& request) {
  CSessionCall call(label, hSession, pdwErrorCode, category);
  if (call.BeginDeviceCall(out_pointers)) call.CallToolkit(request);
  return call.result();
}

}  // namespace zorvik
