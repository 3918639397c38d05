// How every object of this module is handed out and given back: built, held
// by one reference while it answers QueryInterface, then released, so an
// object whose interface is refused destroys itself and the caller's
// reference is the only one left on success.
#pragma once

#include <windows.h>

#include <atomic>

namespace zorvik {

// `build` returns a new object (or null when memory runs out) with a reference
// count of 0. An exception from the object's construction goes on to the
// entry's CallAtBoundary.
template <typename Object, typename Build>
HRESULT CreateAndQuery(Build build, REFIID iid, void** object) {
  Object* created = build();
  if (created == nullptr) return E_OUTOFMEMORY;
  created->AddRef();
  const HRESULT result = created->QueryInterface(iid, object);
  created->Release();
  return result;
}

// Counts one reference down and stores the count left in *remaining.  True
// when it was the last: the caller then deletes the object, and the count is
// held at 1 meanwhile so that nothing the destruction does can bring it to 0
// a second time.
inline bool DropReference(std::atomic<ULONG>& references, ULONG* remaining) {
  *remaining = --references;
  if (*remaining != 0) return false;
  references = 1;
  return true;
}

}  // namespace zorvik
