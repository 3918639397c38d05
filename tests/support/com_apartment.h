// The COM apartment a test or helper thread runs in, left when it goes.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace zorvik::test {

class ScopedApartment {
 public:
  explicit ScopedApartment(DWORD model = COINIT_APARTMENTTHREADED)
      : result_(CoInitializeEx(nullptr, model)) {}
  ~ScopedApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ScopedApartment(const ScopedApartment&) = delete;
  ScopedApartment& operator=(const ScopedApartment&) = delete;

  bool ok() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

}  // namespace zorvik::test
