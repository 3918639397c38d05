// The registrar script of a module: resource REGISTRY 101, read with
// %MODULE% standing for the module's full path.
#pragma once

#include <windows.h>

#include <string>

#include "registrar_script.h"

namespace zorvik {

inline constexpr WORD kRegistrarScriptResource = 101;

// E_FAIL when the script does not parse (its error goes to the debugger
// output), or the error of a missing resource.
HRESULT LoadRegistrarScript(HMODULE module, const std::wstring& module_path,
                            RegistrarScript* script);

}  // namespace zorvik
