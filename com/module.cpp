// The module entry point of zorvik.dll.  Nothing heavy happens here: no
// library loading, no waiting and no COM calls, only bookkeeping that the
// loader lock allows.
#include <windows.h>

#include "proxy_stub.h"
#include "runtime_at_unload.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  // The proxy/stub half records the module handle its registration needs and
  // switches off the thread notifications.
  const BOOL result = ZorvikPS_DllMain(instance, reason, reserved);
  // A host may load and unload the component many times.
  zorvik::FreeRuntimeAtUnload(reason, reserved);
  return result;
}
