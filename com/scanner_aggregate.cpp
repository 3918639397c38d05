// The aggregated ZORVIK object's outer-facing IUnknown.
#include "scanner_aggregate.h"

#include <new>

#include "object_creation.h"

namespace zorvik {

HRESULT CScannerAggregate::Create(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  // Any other interface would be counted on the outer object while the
  // aggregate's own count, and with it the aggregate, went back to 0.
  if (!IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  return CreateAndQuery<CScannerAggregate>(
      [outer] { return new (std::nothrow) CScannerAggregate(outer); }, iid, object);
}

HRESULT CScannerAggregate::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  return part_.QueryInterfaceTable(iid, object);
}

ULONG CScannerAggregate::AddRef() { return ++references_; }

ULONG CScannerAggregate::Release() {
  ULONG remaining = 0;
  if (DropReference(references_, &remaining)) delete this;
  return remaining;
}

}  // namespace zorvik
