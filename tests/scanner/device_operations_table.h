// Every device operation of the scanner object as one row: its trace label
// and a call with valid arguments of its own, so that only the handle, the
// lock or the error-code pointer decides how it ends.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "zorvik_object.h"

namespace zorvik::test {

struct DeviceOperation {
  const char* label;
  std::function<HRESULT(::zorvik::zorvik&, DWORD handle, DWORD* error)> call;
};

// All of IScanner's and IButton's device operations (ResetButton is none).
std::vector<DeviceOperation> DeviceOperations();

}  // namespace zorvik::test
