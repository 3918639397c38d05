// A single-threaded apartment on a thread of its own with a message loop, to
// serve calls that other apartments make through marshalled proxies.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <functional>
#include <thread>

#include "unique_resource.h"

namespace zorvik::bench {

class OtherApartment {
 public:
  OtherApartment();
  // Ends the message loop and joins the thread; release every proxy first.
  ~OtherApartment();
  OtherApartment(const OtherApartment&) = delete;
  OtherApartment& operator=(const OtherApartment&) = delete;

  // Runs `make` on the apartment's thread and marshals the object it makes
  // there, as interface `iid`, into the calling apartment with the standard
  // marshaller. `*proxy` receives what the caller must use; `*object_address`
  // the object's own pointer for `iid`, so the caller can check it got a
  // proxy and not the object itself.
  HRESULT Create(const std::function<HRESULT(IUnknown** object)>& make, REFIID iid, void** proxy,
                 uintptr_t* object_address);

  DWORD thread_id() const { return thread_id_; }

 private:
  void Serve();

  UniqueHandle ready_;
  DWORD thread_id_ = 0;
  std::thread thread_;
};

}  // namespace zorvik::bench
