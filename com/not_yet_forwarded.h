// The stand-in for an interface method whose zorvik member is still to be
// written.  Completing such a method means replacing NotYetForwarded with
// scanner_.<the method of the same name>, arguments unchanged.
#pragma once

#include <windows.h>

#include <tuple>

#include "driver_error.h"

namespace zorvik {

// Answers as the contract answers a method that is not carried out:
// E_NOTIMPL with error code 10 (Method Not Implemented), or E_POINTER when the
// error-code pointer (always the last argument) is null.
template <typename... Arguments>
HRESULT NotYetForwarded(Arguments... arguments) {
  DWORD* error_code = std::get<sizeof...(Arguments) - 1>(std::tuple<Arguments...>(arguments...));
  if (error_code == nullptr) return E_POINTER;
  *error_code = kErrNotImplemented;
  return E_NOTIMPL;
}

}  // namespace zorvik
