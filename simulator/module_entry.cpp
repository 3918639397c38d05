// The module entry point of the simulated toolkit. The component loads and
// unloads this library at every session's first open and last close.
#include <windows.h>

#include "runtime_at_unload.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  zorvik::FreeRuntimeAtUnload(reason, reserved);
  return TRUE;
}
