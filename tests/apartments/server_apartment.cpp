// The serving thread of a single-threaded apartment that leaves on request.
#include "server_apartment.h"

#include "com_apartment.h"

using Microsoft::WRL::ComPtr;

namespace zorvik::test {

ServerApartment::ServerApartment(size_t clients)
    : clients_(clients),
      ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      leave_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!ready_ || !leave_) return;
  thread_.reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
  if (!thread_ || WaitForSingleObject(ready_.get(), 30000) != WAIT_OBJECT_0) ready_result_ = E_FAIL;
}

ServerApartment::~ServerApartment() { Leave(30000); }

HRESULT ServerApartment::TakeProxy(ComPtr<IScanner>* proxy) {
  if (FAILED(ready_result_) || next_proxy_ >= marshalled_.size()) return E_UNEXPECTED;
  // The call releases the stream, whatever its outcome.
  return CoGetInterfaceAndReleaseStream(marshalled_[next_proxy_++].Detach(), IID_IScanner,
                                        reinterpret_cast<void**>(proxy->ReleaseAndGetAddressOf()));
}

bool ServerApartment::Leave(DWORD timeout_ms) {
  // References no client took are given back while the object still exists.
  for (; next_proxy_ < marshalled_.size(); ++next_proxy_) {
    CoReleaseMarshalData(marshalled_[next_proxy_].Get());
    marshalled_[next_proxy_].Reset();
  }
  if (!thread_) return true;
  SetEvent(leave_.get());
  if (WaitForSingleObject(thread_.get(), timeout_ms) != WAIT_OBJECT_0) return false;
  thread_.reset();
  return true;
}

DWORD WINAPI ServerApartment::Run(void* self) {
  static_cast<ServerApartment*>(self)->Serve();
  return 0;
}

void ServerApartment::Serve() {
  ComApartment apartment(COINIT_APARTMENTTHREADED);
  ComPtr<IScanner> scanner;
  HRESULT result = apartment.ok() ? S_OK : E_FAIL;
  if (SUCCEEDED(result))
    result = CoCreateInstance(CLSID_ZORVIK, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&scanner));
  marshalled_.resize(clients_);
  for (size_t i = 0; i < clients_ && SUCCEEDED(result); ++i)
    result = CoMarshalInterThreadInterfaceInStream(IID_IScanner, scanner.Get(), &marshalled_[i]);
  if (FAILED(result)) marshalled_.clear();
  ready_result_ = result;
  SetEvent(ready_.get());

  // One message at a time, and the leave request is looked at before each:
  // a call that is still queued when the request comes is never served.
  HANDLE leave = leave_.get();
  while (SUCCEEDED(result) &&
         MsgWaitForMultipleObjects(1, &leave, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG message;
    while (WaitForSingleObject(leave, 0) == WAIT_TIMEOUT &&
           PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    }
  }
  scanner.Reset();
}

}  // namespace zorvik::test
