// The module entry point of zorvik.dll.  Nothing heavy happens here: no
// library loading, no waiting and no COM calls, only bookkeeping that the
// loader lock allows.
#include <windows.h>

namespace {
HINSTANCE g_module_instance = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module_instance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
