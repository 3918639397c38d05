// Calls an object from another apartment: the interface is marshalled to a
// new single-threaded apartment, where `call` runs with the proxy, while this
// thread (itself in a single-threaded apartment) serves the calls.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <functional>

namespace zorvik::test {

// False (with a test failure) when marshalling fails or `call` has not
// finished within `timeout_ms`.
bool CallFromOtherApartment(IUnknown* object, REFIID iid,
                            const std::function<void(IUnknown* proxy)>& call,
                            DWORD timeout_ms = 30000);

template <typename Interface>
bool CallFromOtherApartment(Interface* object, const std::function<void(Interface* proxy)>& call,
                            DWORD timeout_ms = 30000) {
  return CallFromOtherApartment(
      object, __uuidof(Interface),
      [&call](IUnknown* proxy) { call(static_cast<Interface*>(proxy)); }, timeout_ms);
}

}  // namespace zorvik::test
