// The server apartment's thread: it makes objects on request, marshals them
// for the requesting apartment, and pumps the messages that carry the calls.
#include "other_apartment.h"

namespace zorvik::bench {
namespace {

constexpr UINT kCreateMessage = WM_APP + 1;
constexpr DWORD kStartTimeoutMs = 10000;

// One request to make and marshal an object, handed to the thread by address.
struct CreateRequest {
  const std::function<HRESULT(IUnknown** object)>* make;
  const IID* iid;
  IStream* stream = nullptr;
  uintptr_t object_address = 0;
  HRESULT result = E_FAIL;
  UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

void ServeCreateRequest(CreateRequest& request) {
  IUnknown* object = nullptr;
  request.result = (*request.make)(&object);
  if (SUCCEEDED(request.result)) {
    IUnknown* typed = nullptr;
    request.result = object->QueryInterface(*request.iid, reinterpret_cast<void**>(&typed));
    if (SUCCEEDED(request.result)) {
      request.object_address = reinterpret_cast<uintptr_t>(typed);
      request.result = CoMarshalInterThreadInterfaceInStream(*request.iid, typed, &request.stream);
      typed->Release();
    }
    object->Release();
  }
  SetEvent(request.done.get());
}

}  // namespace

OtherApartment::OtherApartment() : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  thread_ = std::thread([this] { Serve(); });
  WaitForSingleObject(ready_.get(), kStartTimeoutMs);
}

OtherApartment::~OtherApartment() {
  if (thread_id_ != 0) PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
  if (thread_.joinable()) thread_.join();
}

void OtherApartment::Serve() {
  const bool apartment = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  MSG message;
  // The queue exists once the thread has peeked at it; only then may
  // requests be posted.
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
  if (apartment) thread_id_ = GetCurrentThreadId();
  SetEvent(ready_.get());
  if (!apartment) return;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == kCreateMessage) {
      ServeCreateRequest(*reinterpret_cast<CreateRequest*>(message.lParam));
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  CoUninitialize();
}

HRESULT OtherApartment::Create(const std::function<HRESULT(IUnknown** object)>& make, REFIID iid,
                               void** proxy, uintptr_t* object_address) {
  *proxy = nullptr;
  if (thread_id_ == 0) return E_UNEXPECTED;
  CreateRequest request{&make, &iid};
  if (!request.done ||
      !PostThreadMessageW(thread_id_, kCreateMessage, 0, reinterpret_cast<LPARAM>(&request)))
    return E_FAIL;
  WaitForSingleObject(request.done.get(), INFINITE);
  *object_address = request.object_address;
  if (FAILED(request.result)) return request.result;
  return CoGetInterfaceAndReleaseStream(request.stream, iid, proxy);
}

}  // namespace zorvik::bench
