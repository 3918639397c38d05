// The four exports of zorvik.dll.  Each consults the proxy/stub half first
// and the ZORVIK object half second.
#include <windows.h>
#include <olectl.h>

#include "class_factory.h"
#include "com_boundary.h"
#include "module_lock.h"
#include "proxy_stub.h"
#include "server_registration.h"
#include "session_table.h"
#include "this_module.h"

// The proxy/stub factory for its class ID or any IID of its table; otherwise
// the ZORVIK class object.
STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  // The proxy/stub half writes through the out pointer before anything else.
  if (object == nullptr) return E_POINTER;
  return zorvik::CallAtBoundary("DllGetClassObject", nullptr, [&] {
    if (ZorvikPS_DllGetClassObject(&clsid, &iid, object) == S_OK) return S_OK;
    return zorvik::GetScannerClassObject(clsid, iid, object);
  });
}

// S_OK only when no proxy or stub, no ZORVIK object and no server lock is left.
// Sessions belong to the process, not to objects: a host may release every
// object and keep a session open. Unloading then would leak the session's
// device handle, toolkit and lock, and lose its handle for good.
STDAPI DllCanUnloadNow() {
  if (ZorvikPS_DllCanUnloadNow() != S_OK) return S_FALSE;
  if (zorvik::CSessionTable::Instance().SessionCount() != 0) return S_FALSE;
  return zorvik::ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

// The proxy/stub registration first; nothing else is written when it fails.
STDAPI DllRegisterServer() {
  const HRESULT result = ZorvikPS_DllRegisterServer();
  if (FAILED(result)) return result;
  return zorvik::CallAtBoundary("DllRegisterServer", nullptr,
                                [] { return zorvik::RegisterServer(zorvik::ThisModule()); });
}

// Removes the proxy/stub registration (whatever it answers), then the rest;
// the result is that of the rest.
STDAPI DllUnregisterServer() {
  ZorvikPS_DllUnregisterServer();
  return zorvik::CallAtBoundary("DllUnregisterServer", nullptr,
                                [] { return zorvik::UnregisterServer(zorvik::ThisModule()); });
}
