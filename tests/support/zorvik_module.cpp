// Loading zorvik.dll and finding its exports.
#include "zorvik_module.h"

#include "test_paths.h"

namespace zorvik::test {
namespace {

template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

ZorvikModule::ZorvikModule() : module_(LoadLibraryW(BesideExecutable(L"zorvik.dll").c_str())) {
  if (!module_) return;
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module_.get(), path, MAX_PATH);
  path_ = path;
  get_class_object_ = Export<GetClassObjectFunction>(module_.get(), "DllGetClassObject");
  can_unload_now_ = Export<PlainFunction>(module_.get(), "DllCanUnloadNow");
  register_server_ = Export<PlainFunction>(module_.get(), "DllRegisterServer");
  unregister_server_ = Export<PlainFunction>(module_.get(), "DllUnregisterServer");
}

bool ZorvikModule::loaded() const {
  return module_ && get_class_object_ && can_unload_now_ && register_server_ && unregister_server_;
}

HRESULT ZorvikModule::GetClassObject(REFCLSID clsid, REFIID iid, void** object) const {
  return get_class_object_(clsid, iid, object);
}
HRESULT ZorvikModule::CanUnloadNow() const { return can_unload_now_(); }
HRESULT ZorvikModule::RegisterServer() const { return register_server_(); }
HRESULT ZorvikModule::UnregisterServer() const { return unregister_server_(); }

}  // namespace zorvik::test
