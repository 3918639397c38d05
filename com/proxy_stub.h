// The proxy/stub half of zorvik.dll: the entry points that widl's dlldata
// gives under the prefix ZorvikPS_, and the proxy/stub class ID.  The module's
// own exports consult this half first.
#pragma once

#include <windows.h>

extern "C" {
// Records the module handle that proxy/stub registration needs; the module's
// DllMain passes every notification on to it.
BOOL WINAPI ZorvikPS_DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
// The C signatures take the GUIDs by pointer; a C++ reference is the same
// thing on the wire, so callers pass addresses.
HRESULT WINAPI ZorvikPS_DllGetClassObject(const CLSID* clsid, const IID* iid, void** object);
HRESULT WINAPI ZorvikPS_DllCanUnloadNow(void);
HRESULT WINAPI ZorvikPS_DllRegisterServer(void);
HRESULT WINAPI ZorvikPS_DllUnregisterServer(void);

// {45A6DE15-FA6C-48B6-AAF6-7B98158AC0F4}, the IID of IsRGBMatrix.
extern const CLSID CLSID_PSFactoryBuffer;
}
