// A ZORVIK object served from a single-threaded apartment of its own thread,
// as a host's worker apartment holds one, and that apartment leaving on
// request: it stops serving at once (a call still queued is never served),
// releases the object and calls CoUninitialize.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <vector>

#include "unique_resource.h"
#include "zorvik.h"

namespace zorvik::test {

class ServerApartment {
 public:
  // Starts the thread, which creates the object and marshals its IScanner
  // once for each of `clients` proxies. zorvik.dll must be registered.
  explicit ServerApartment(size_t clients);
  // Leaves the apartment if that has not happened yet.
  ~ServerApartment();
  ServerApartment(const ServerApartment&) = delete;
  ServerApartment& operator=(const ServerApartment&) = delete;

  // S_OK once the object is created and marshalled; else why not.
  HRESULT ready() const { return ready_result_; }

  // A proxy of the object in the calling thread's apartment; each marshalled
  // reference can be taken once.
  HRESULT TakeProxy(Microsoft::WRL::ComPtr<IScanner>* proxy);

  // Asks the thread to leave its apartment and waits at most `timeout_ms`
  // for it to end. False when it did not end in time.
  bool Leave(DWORD timeout_ms);

 private:
  static DWORD WINAPI Run(void* self);
  void Serve();

  size_t clients_;
  HRESULT ready_result_ = E_FAIL;
  std::vector<Microsoft::WRL::ComPtr<IStream>> marshalled_;
  size_t next_proxy_ = 0;
  UniqueHandle ready_;
  UniqueHandle leave_;
  UniqueHandle thread_;
};

}  // namespace zorvik::test
