// The aggregated form of the ZORVIK object: the outer-facing IUnknown with its
// own reference count, holding the CScanner part whose interfaces delegate
// their IUnknown to the outer object.
#pragma once

#include <windows.h>

#include <atomic>

#include "scanner_object.h"

namespace zorvik {

class CScannerAggregate final : public IUnknown {
 public:
  // Builds the aggregate for `outer` (not null) and returns its IUnknown,
  // the only interface an aggregating object may ask for at creation.
  static HRESULT Create(IUnknown* outer, REFIID iid, void** object);

  // IUnknown answers with itself; every other IID from the CScanner part's
  // interface table.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

 private:
  explicit CScannerAggregate(IUnknown* outer) : part_(outer) {}
  ~CScannerAggregate() = default;

  std::atomic<ULONG> references_{0};
  CScanner part_;
};

}  // namespace zorvik
