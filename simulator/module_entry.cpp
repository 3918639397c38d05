// The module entry point of the simulated toolkit. The component loads and
// unloads this library at every session's first open and last close, so
// whatever the statically linked C++ runtime allocates once per load must be
// given back at unload: its emergency exception-handling pool (some 73 KB,
// taken from the process heap when the library loads) is otherwise lost at
// every unload.
#include <windows.h>

namespace __gnu_cxx {
// Frees the C++ runtime's emergency exception pool (libstdc++).
void __freeres() noexcept;
}  // namespace __gnu_cxx

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // Only on FreeLibrary: at process exit nothing needs giving back.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) __gnu_cxx::__freeres();
  return TRUE;
}
