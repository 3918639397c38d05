// The ZORVIK class object.
#include "class_factory.h"

#include <new>

#include "com_boundary.h"
#include "module_lock.h"
#include "object_creation.h"
#include "scanner_object.h"
#include "zorvik.h"

namespace zorvik {

HRESULT GetScannerClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_ZORVIK)) return CLASS_E_CLASSNOTAVAILABLE;
  return CreateAndQuery<CScannerClassFactory>(
      [] { return new (std::nothrow) CScannerClassFactory(); }, iid, object);
}

HRESULT CScannerClassFactory::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG CScannerClassFactory::AddRef() { return ++references_; }

ULONG CScannerClassFactory::Release() {
  ULONG remaining = 0;
  if (DropReference(references_, &remaining)) delete this;
  return remaining;
}

HRESULT CScannerClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  return CallAtBoundary("IClassFactory::CreateInstance", nullptr,
                        [&] { return CreateScannerInstance(outer, iid, object); });
}

HRESULT CScannerClassFactory::LockServer(BOOL lock) {
  if (lock)
    LockModule();
  else
    UnlockModule();
  return S_OK;
}

}  // namespace zorvik
