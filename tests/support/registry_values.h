// Keys and values under HKEY_LOCAL_MACHINE, for the helpers that set the
// registry up for a test or a benchmark run.
#pragma once

#include <windows.h>

#include <string>

#include "unique_resource.h"

namespace zorvik::test {

bool MachineKeyExists(const char* name);

// The key `name`, created with the keys above it if missing; invalid when it
// can be neither opened nor created.
UniqueRegKey CreateMachineKey(const char* name);

// True when the value was written.
bool SetNumberValue(HKEY key, const char* name, DWORD value);
bool SetStringValue(HKEY key, const char* name, const std::string& value);

}  // namespace zorvik::test
