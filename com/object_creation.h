// How every object of this module is handed out: built, held by one
// reference while it answers QueryInterface, then released, so an object
// whose interface is refused destroys itself and the caller's reference is
// the only one left on success.
#pragma once

#include <windows.h>

#include <new>

namespace zorvik {

// `build` returns a new object (or null when memory runs out) with a reference
// count of 0.  Nothing is thrown to the caller.
template <typename Object, typename Build>
HRESULT CreateAndQuery(Build build, REFIID iid, void** object) {
  Object* created = nullptr;
  try {
    created = build();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
  if (created == nullptr) return E_OUTOFMEMORY;
  created->AddRef();
  const HRESULT result = created->QueryInterface(iid, object);
  created->Release();
  return result;
}

}  // namespace zorvik
