// The type library embedded in the module (resource TYPELIB 1), registered
// under its LIBID.
#pragma once

#include <windows.h>

#include <string>

namespace zorvik {

HRESULT RegisterTypeLibraryOf(const std::wstring& module_path);
HRESULT UnregisterTypeLibraryOf(const std::wstring& module_path);

}  // namespace zorvik
