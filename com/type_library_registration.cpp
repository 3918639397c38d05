// Type library registration through the automation runtime.
#include "type_library_registration.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <cwchar>
#include <string>

#include "registrar.h"

using Microsoft::WRL::ComPtr;

namespace zorvik {

HRESULT RegisterTypeLibraryOf(const std::wstring& module_path) {
  ComPtr<ITypeLib> library;
  HRESULT result = LoadTypeLibEx(module_path.c_str(), REGKIND_NONE, &library);
  if (FAILED(result)) return result;
  // The help directory is the module's folder.
  std::wstring path = module_path;
  std::wstring folder = module_path.substr(0, module_path.find_last_of(L"\\/") + 1);
  return RegisterTypeLib(library.Get(), path.data(), folder.data());
}

HRESULT UnregisterTypeLibraryOf(const std::wstring& module_path) {
  ComPtr<ITypeLib> library;
  HRESULT result = LoadTypeLibEx(module_path.c_str(), REGKIND_NONE, &library);
  if (FAILED(result)) return result;
  TLIBATTR* attributes = nullptr;
  result = library->GetLibAttr(&attributes);
  if (FAILED(result)) return result;
  wchar_t library_id[40] = {};
  StringFromGUID2(attributes->guid, library_id, ARRAYSIZE(library_id));
  // The registry names versions in hexadecimal, major.minor.
  wchar_t version[16] = {};
  swprintf(version, ARRAYSIZE(version), L"%x.%x", attributes->wMajorVerNum,
           attributes->wMinorVerNum);
  const std::wstring version_key = std::wstring(L"TypeLib\\") + library_id + L"\\" + version;
  // Unregistering twice is no failure, while the automation runtime would
  // report one for a library it cannot find.
  if (!RegistryKeyExists(HKEY_CLASSES_ROOT, version_key)) {
    library->ReleaseTLibAttr(attributes);
    return S_OK;
  }
  result = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                             attributes->lcid, attributes->syskind);
  library->ReleaseTLibAttr(attributes);
  return result;
}

}  // namespace zorvik
