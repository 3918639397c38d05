// Registering and unregistering the ZORVIK class and its type library.
#include "server_registration.h"

#include <string>

#include "category_registration.h"
#include "registrar.h"
#include "registrar_resource.h"
#include "this_module.h"
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
  if (SUCCEEDED(first_failure)) first_failure = result;
  result = UnregisterTypeLibraryOf(path);
  if (SUCCEEDED(first_failure)) first_failure = result;
  return first_failure;
}

}  // namespace zorvik
