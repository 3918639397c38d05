// CScanner: the COM object of the coclass ZORVIK.  It implements IScanner,
// IButton and ILog by passing every method, unchanged, to the zorvik object
// it holds.  A plain object counts its own references; the inner part of an
// aggregate (see scanner_aggregate.h) passes them to the outer object.
#pragma once

#include <windows.h>

#include <atomic>

#include "device_methods.h"
#include "module_lock.h"
#include "zorvik.h"
#include "zorvik_object.h"

namespace zorvik {

// The instance creator of the class object: a plain object when `outer` is
// null, an aggregated one otherwise (then `iid` must be IID_IUnknown).  On
// success *object holds the caller's one reference; on failure it is null and
// nothing is left allocated.
HRESULT CreateScannerInstance(IUnknown* outer, REFIID iid, void** object);

class CScanner final : public IScanner, public IButton, public ILog {
 public:
  // `outer` is the controlling object of an aggregate, or null for a plain
  // object.
  explicit CScanner(IUnknown* outer);
  ~CScanner();
  CScanner(const CScanner&) = delete;
  CScanner& operator=(const CScanner&) = delete;

  // The interface table: IScanner (also answering IUnknown), IButton, ILog;
  // anything else is E_NOINTERFACE.  The pointer handed out is counted
  // through AddRef, that is on the outer object in an aggregate.
  HRESULT QueryInterfaceTable(REFIID iid, void** object);

  // IUnknown of the three interfaces.  In an aggregate, QueryInterface asks
  // the outer object first and the interface table only when it refuses;
  // AddRef and Release go to the outer object.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IScanner and IButton, as device_methods.h lists them (device_forwarding.cpp).
#define ZORVIK_DECLARE_METHOD(INTERFACE, NAME, PARAMETERS, ARGUMENTS, ERROR_CODE) \
  STDMETHODIMP NAME PARAMETERS override;
  ZORVIK_DEVICE_METHODS(ZORVIK_DECLARE_METHOD)
#undef ZORVIK_DECLARE_METHOD

  // ILog (log_forwarding.cpp).
  STDMETHODIMP LogString(DWORD dwFunctionAttribute, LPWSTR pszString) override;
  STDMETHODIMP IsEnabled(DWORD dwFunctionAttribute, BYTE* pbyEnabled) override;

 private:
  // First member: the module stays locked until the zorvik member is gone.
  ModuleReference module_reference_;
  // The plain object's reference count; unused in an aggregate.
  std::atomic<ULONG> references_{0};
  IUnknown* const outer_;
  zorvik scanner_;
};

}  // namespace zorvik
