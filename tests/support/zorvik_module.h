// zorvik.dll loaded by path from beside the running test executable or
// benchmark, with its four exports, so they call them as COM itself would.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

#include "unique_resource.h"

namespace zorvik::test {

class ZorvikModule {
 public:
  ZorvikModule();
  ZorvikModule(const ZorvikModule&) = delete;
  ZorvikModule& operator=(const ZorvikModule&) = delete;

  bool loaded() const;
  // The full path the module was loaded from, as registration writes it.
  const std::wstring& path() const { return path_; }

  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) const;
  HRESULT CanUnloadNow() const;
  HRESULT RegisterServer() const;
  HRESULT UnregisterServer() const;

 private:
  using GetClassObjectFunction = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  using PlainFunction = HRESULT(WINAPI*)();

  UniqueModule module_;
  std::wstring path_;
  GetClassObjectFunction get_class_object_ = nullptr;
  PlainFunction can_unload_now_ = nullptr;
  PlainFunction register_server_ = nullptr;
  PlainFunction unregister_server_ = nullptr;
};

}  // namespace zorvik::test
