// CallAtBoundary: the one place where a C++ exception is stopped before it
// leaves zorvik.dll through an export or a COM method. Every such entry runs
// its body through it:
//
//   HRESULT CScanner::LampOn(DWORD hSession, DWORD* pdwErrorCode) {
//     return CallAtBoundary("IScanner::LampOn", pdwErrorCode,
//                           [&] { return scanner_.LampOn(hSession, pdwErrorCode); });
//   }
#pragma once

#include <windows.h>

#include <new>

#include "driver_error.h"

namespace zorvik {

// Writes the one log line that says `entry` was ended by an exception;
// never throws, and logs nothing when even that fails.
void LogExceptionAtBoundary(const char* entry, bool out_of_memory) noexcept;

// Runs `body()`, which returns the entry's HRESULT. A std::bad_alloc becomes
// E_OUTOFMEMORY, with error code 8 (Out Of Memory) stored through
// `error_code` when the entry has one (null otherwise); any other exception
// becomes E_UNEXPECTED. Either is logged once, here.
template <typename Body>
HRESULT CallAtBoundary(const char* entry, DWORD* error_code, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    LogExceptionAtBoundary(entry, true);
    if (error_code != nullptr) *error_code = kErrOutOfMemory;
    return E_OUTOFMEMORY;
  } catch (...) {
    LogExceptionAtBoundary(entry, false);
    return E_UNEXPECTED;
  }
}

}  // namespace zorvik
