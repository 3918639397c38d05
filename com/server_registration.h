// The object half of registration: the registrar script of resource
// REGISTRY 101, the implemented categories of the ZORVIK class and the type
// library of resource TYPELIB 1.
#pragma once

#include <windows.h>

namespace zorvik {

// Script, categories, type library, in this order; stops at the first failure.
HRESULT RegisterServer(HMODULE module);

// Categories, script (unregister mode), type library, in this order; every
// step runs and the first failure is returned.
HRESULT UnregisterServer(HMODULE module);

}  // namespace zorvik
