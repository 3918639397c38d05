// Carries out a registrar script in the registry: registering writes every
// key and value of the script, unregistering removes them again as the
// script's ForceRemove and NoRemove marks say.
#pragma once

#include <windows.h>

#include <string>

#include "registrar_script.h"

namespace zorvik {

// Stops at the first key or value that cannot be written and returns its
// error as an HRESULT.
HRESULT RegisterScript(const RegistrarScript& script);

// Keys and values already missing count as removed.  Goes on past a failure
// and returns the first one.
HRESULT UnregisterScript(const RegistrarScript& script);

// Whether `path` below `root` can be opened for reading.
bool RegistryKeyExists(HKEY root, const std::wstring& path);

}  // namespace zorvik
