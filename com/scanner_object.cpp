// The ZORVIK object's creation, identity and reference counting.  The
// interface methods themselves are in the three *_forwarding.cpp files.
#include "scanner_object.h"

#include <new>

#include "object_creation.h"
#include "scanner_aggregate.h"

namespace zorvik {

HRESULT CreateScannerInstance(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CScannerAggregate::Create(outer, iid, object);
  return CreateAndQuery<CScanner>([] { return new (std::nothrow) CScanner(nullptr); }, iid, object);
}

CScanner::CScanner(IUnknown* outer) : outer_(outer) {}

CScanner::~CScanner() = default;

HRESULT CScanner::QueryInterfaceTable(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IScanner)) {
    *object = static_cast<IScanner*>(this);
  } else if (IsEqualIID(iid, IID_IButton)) {
    *object = static_cast<IButton*>(this);
  } else if (IsEqualIID(iid, IID_ILog)) {
    *object = static_cast<ILog*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT CScanner::QueryInterface(REFIID iid, void** object) {
  if (outer_ == nullptr) return QueryInterfaceTable(iid, object);
  const HRESULT result = outer_->QueryInterface(iid, object);
  return SUCCEEDED(result) ? result : QueryInterfaceTable(iid, object);
}

ULONG CScanner::AddRef() {
  if (outer_ != nullptr) return outer_->AddRef();
  return ++references_;
}

ULONG CScanner::Release() {
  if (outer_ != nullptr) return outer_->Release();
  ULONG remaining = 0;
  if (DropReference(references_, &remaining)) delete this;
  return remaining;
}

}  // namespace zorvik
