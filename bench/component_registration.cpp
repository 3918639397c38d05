// Registering zorvik.dll through its own exports for one benchmark run.
#include "component_registration.h"

#include "test_paths.h"

namespace zorvik::bench {
namespace {

using RegistrationExport = HRESULT(STDAPICALLTYPE*)();

RegistrationExport FindExport(HMODULE module, const char* name) {
  return reinterpret_cast<RegistrationExport>(
      reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

ComponentRegistration::ComponentRegistration()
    : module_(LoadLibraryW((test::BesideExecutable(L"zorvik.dll")).c_str())) {
  if (!module_) return;
  RegistrationExport do_register = FindExport(module_.get(), "DllRegisterServer");
  registered_ = do_register != nullptr && SUCCEEDED(do_register());
}

ComponentRegistration::~ComponentRegistration() {
  if (!registered_) return;
  RegistrationExport do_unregister = FindExport(module_.get(), "DllUnregisterServer");
  if (do_unregister != nullptr) do_unregister();
}

const char* ComponentRegistration::Failure() const {
  if (!module_) return "zorvik.dll could not be loaded from the benchmark's folder";
  return registered_ ? nullptr : "DllRegisterServer of zorvik.dll failed";
}

}  // namespace zorvik::bench
