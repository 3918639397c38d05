// Type library registration through the automation runtime.
#include "type_library_registration.h"

#include <oleauto.h>
#include <wrl/client.h>

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
  result = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                             attributes->lcid, attributes->syskind);
  library->ReleaseTLibAttr(attributes);
  return result;
}

}  // namespace zorvik
