// zorvik.dll registered in the prefix for the life of a test or of a
// benchmark run, and unregistered afterwards. The module must be loaded().
// Tests using it carry RESOURCE_LOCK registry.
#pragma once

#include <windows.h>

#include "zorvik_module.h"

namespace zorvik::test {

class ScopedRegistration {
 public:
  explicit ScopedRegistration(const ZorvikModule& module)
      : module_(module), result_(module.RegisterServer()) {}
  ~ScopedRegistration() { module_.UnregisterServer(); }
  ScopedRegistration(const ScopedRegistration&) = delete;
  ScopedRegistration& operator=(const ScopedRegistration&) = delete;

  HRESULT result() const { return result_; }

 private:
  const ZorvikModule& module_;
  HRESULT result_;
};

}  // namespace zorvik::test
