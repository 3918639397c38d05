// The COM apartment a thread runs in, entered for a scope and left when it
// ends (only when entering succeeded, as CoUninitialize must pair with it).
#pragma once

#include <windows.h>
#include <objbase.h>

namespace zorvik {

class ComApartment {
 public:
  explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED)
      : result_(CoInitializeEx(nullptr, model)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool ok() const { return SUCCEEDED(result_); }
  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace zorvik
