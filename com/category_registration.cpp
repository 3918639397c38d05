// Component category registration through ICatRegister.
#include "category_registration.h"

#include <comcat.h>
#include <objbase.h>
#include <wrl/client.h>

#include <string>

#include "registrar.h"

using Microsoft::WRL::ComPtr;

namespace zorvik {
namespace {

// The registration may be called on a thread without COM (a host's own
// registration code); the category manager needs an apartment for its call.
class ApartmentForCall {
 public:
  ApartmentForCall() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~ApartmentForCall() {
    if (initialized_) CoUninitialize();
  }
  ApartmentForCall(const ApartmentForCall&) = delete;
  ApartmentForCall& operator=(const ApartmentForCall&) = delete;

 private:
  bool initialized_;
};

HRESULT UpdateImplementedCategories(REFCLSID clsid, bool add) {
  CATID categories[] = {
      {0xF2A5E1D0, 0xF075, 0x4A3B, {0x9D, 0x2F, 0x90, 0x8B, 0x3B, 0xFE, 0x2D, 0xD2}},
      {0xA2D2C384, 0x2021, 0x4105, {0xB2, 0xA5, 0x13, 0x31, 0x3F, 0xEC, 0x17, 0x89}},
  };
  ApartmentForCall apartment;
  ComPtr<ICatRegister> manager;
  const HRESULT result = CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr,
                                          CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&manager));
  if (FAILED(result)) return result;
  return add ? manager->RegisterClassImplCategories(clsid, ARRAYSIZE(categories), categories)
             : manager->UnRegisterClassImplCategories(clsid, ARRAYSIZE(categories), categories);
}

}  // namespace

HRESULT RegisterImplementedCategories(REFCLSID clsid) {
  return UpdateImplementedCategories(clsid, true);
}

HRESULT UnregisterImplementedCategories(REFCLSID clsid) {
  // Unregistering twice is no failure, while the category manager would
  // report one for a class it cannot find.
  wchar_t class_id[40] = {};
  StringFromGUID2(clsid, class_id, ARRAYSIZE(class_id));
  if (!RegistryKeyExists(HKEY_CLASSES_ROOT,
                         std::wstring(L"CLSID\\") + class_id + L"\\Implemented Categories"))
    return S_OK;
  return UpdateImplementedCategories(clsid, false);
}

}  // namespace zorvik
