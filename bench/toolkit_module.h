// The simulated toolkit beside this program (the copy the component loads)
// and its entry points, for the benchmark's bare calls into it.
#pragma once

#include <windows.h>

#include "test_paths.h"
#include "unique_resource.h"

namespace zorvik::bench {

// Loads KELMARTK.DLL from beside this program; empty when it cannot.
inline UniqueModule LoadToolkitBesideProgram() {
  return UniqueModule(LoadLibraryW((test::ExecutableDir() + L"KELMARTK.DLL").c_str()));
}

// GetProcAddress hands out a generic function pointer; going through
// void (*)() tells the compiler the cast to the real signature is meant.
template <typename Entry>
Entry EntryPoint(HMODULE module, const char* name) {
  return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace zorvik::bench
