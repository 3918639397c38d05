// What a DLL of ours gives back when FreeLibrary unloads it. Both zorvik.dll
// and the simulated toolkit link the C++ runtime statically and are loaded and
// unloaded many times in one host process (the toolkit at every session's
// first open and last close), so whatever that runtime allocates once per load
// must be freed at unload: its emergency exception-handling pool (some 73 KB,
// taken from the process heap when the library loads) is otherwise lost every
// time.
#pragma once

#include <windows.h>

namespace __gnu_cxx {
// Frees the C++ runtime's emergency exception pool (libstdc++).
void __freeres() noexcept;
}  // namespace __gnu_cxx

namespace zorvik {

// Call from DllMain with its reason and reserved arguments. Only on
// FreeLibrary (reserved is null): at process exit nothing needs giving back.
inline void FreeRuntimeAtUnload(DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) __gnu_cxx::__freeres();
}

}  // namespace zorvik
