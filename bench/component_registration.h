// zorvik.dll from the benchmark's folder, registered in the prefix for the
// whole run with its own DllRegisterServer and unregistered at the end, so
// that CoCreateInstance, the proxies and the children find it.
#pragma once

#include "unique_resource.h"

namespace zorvik::bench {

class ComponentRegistration {
 public:
  ComponentRegistration();
  ~ComponentRegistration();
  ComponentRegistration(const ComponentRegistration&) = delete;
  ComponentRegistration& operator=(const ComponentRegistration&) = delete;

  // Null when registered, else why not.
  const char* Failure() const;

 private:
  UniqueModule module_;
  bool registered_ = false;
};

}  // namespace zorvik::bench
