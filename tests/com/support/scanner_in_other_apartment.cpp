// Creating the ZORVIK object and handing its IScanner to another apartment.
#include "scanner_in_other_apartment.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include "apartment_call.h"

using Microsoft::WRL::ComPtr;

namespace zorvik::test {

bool CallScannerFromOtherApartment(const std::function<void(IScanner* proxy)>& call,
                                   DWORD timeout_ms) {
  ComPtr<IScanner> scanner;
  const HRESULT created =
      CoCreateInstance(CLSID_ZORVIK, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&scanner));
  if (FAILED(created)) {
    ADD_FAILURE() << "CoCreateInstance(ZORVIK): 0x" << std::hex << created;
    return false;
  }
  return CallFromOtherApartment<IScanner>(
      scanner.Get(),
      [&](IScanner* proxy) {
        if (proxy == scanner.Get()) {
          ADD_FAILURE() << "the other apartment got the object itself, not a proxy";
          return;
        }
        call(proxy);
      },
      timeout_ms);
}

}  // namespace zorvik::test
