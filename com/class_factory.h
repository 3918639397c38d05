// The class object of the coclass ZORVIK: a standard class factory whose
// instance creator makes plain or aggregated ZORVIK objects.  The factory does
// not hold the module: a host that keeps it across unloading calls LockServer.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <atomic>

namespace zorvik {

// The object half of DllGetClassObject: the ZORVIK class object for
// CLSID_ZORVIK, CLASS_E_CLASSNOTAVAILABLE for any other class.
HRESULT GetScannerClassObject(REFCLSID clsid, REFIID iid, void** object);

class CScannerClassFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // E_POINTER for a null out pointer, CLASS_E_NOAGGREGATION for an outer
  // object with any IID but IUnknown, else what the instance creator answers.
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  // TRUE adds one module lock, FALSE takes one away.
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  std::atomic<ULONG> references_{0};
};

}  // namespace zorvik
