// Registering and unregistering the ZORVIK class and its type library.
#include "server_registration.h"

#include <string>

#include "category_registration.h"
#include "first_failure.h"
#include "registrar.h"
#include "registrar_resource.h"
#include "module_path.h"
#include "type_library_registration.h"
#include "zorvik.h"

namespace zorvik {

HRESULT RegisterServer(HMODULE module) {
  const std::wstring path = ModulePath(module);
  if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
  RegistrarScript script;
  HRESULT result = LoadRegistrarScript(module, path, &script);
  if (SUCCEEDED(result)) result = RegisterScript(script);
  if (SUCCEEDED(result)) result = RegisterImplementedCategories(CLSID_ZORVIK);
  if (SUCCEEDED(result)) result = RegisterTypeLibraryOf(path);
  return result;
}

HRESULT UnregisterServer(HMODULE module) {
  const std::wstring path = ModulePath(module);
  if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
  HRESULT first_failure = UnregisterImplementedCategories(CLSID_ZORVIK);
  RegistrarScript script;
  HRESULT result = LoadRegistrarScript(module, path, &script);
  if (SUCCEEDED(result)) result = UnregisterScript(script);
  KeepFirstFailure(&first_failure, result);
  KeepFirstFailure(&first_failure, UnregisterTypeLibraryOf(path));
  return first_failure;
}

}  // namespace zorvik
