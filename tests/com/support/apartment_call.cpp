// The calling thread's side and the other apartment's side of a call made
// through a proxy.
#include "apartment_call.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include "com_apartment.h"
#include "unique_resource.h"

using Microsoft::WRL::ComPtr;

namespace zorvik::test {
namespace {

struct OtherApartmentCall {
  IStream* marshalled;
  const IID* iid;
  const std::function<void(IUnknown*)>* call;
  HRESULT unmarshal_result = E_FAIL;
};

DWORD WINAPI RunInOtherApartment(void* parameter) {
  auto* work = static_cast<OtherApartmentCall*>(parameter);
  ComApartment apartment(COINIT_APARTMENTTHREADED);
  ComPtr<IUnknown> proxy;
  work->unmarshal_result = CoGetInterfaceAndReleaseStream(
      work->marshalled, *work->iid, reinterpret_cast<void**>(proxy.GetAddressOf()));
  if (SUCCEEDED(work->unmarshal_result)) (*work->call)(proxy.Get());
  return 0;
}

// Serves this apartment's incoming calls until `thread` ends or time runs out.
bool PumpUntilDone(HANDLE thread, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    const DWORD waited = MsgWaitForMultipleObjects(1, &thread, FALSE,
                                                   static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    if (waited == WAIT_OBJECT_0) return true;
    if (waited != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

}  // namespace

bool CallFromOtherApartment(IUnknown* object, REFIID iid,
                            const std::function<void(IUnknown* proxy)>& call, DWORD timeout_ms) {
  OtherApartmentCall work{nullptr, &iid, &call};
  const HRESULT marshalled = CoMarshalInterThreadInterfaceInStream(iid, object, &work.marshalled);
  if (FAILED(marshalled)) {
    ADD_FAILURE() << "CoMarshalInterThreadInterfaceInStream: 0x" << std::hex << marshalled;
    return false;
  }
  UniqueHandle thread(CreateThread(nullptr, 0, RunInOtherApartment, &work, 0, nullptr));
  if (!thread) {
    CoReleaseMarshalData(work.marshalled);
    work.marshalled->Release();
    ADD_FAILURE() << "CreateThread failed";
    return false;
  }
  if (!PumpUntilDone(thread.get(), timeout_ms)) {
    // Only a hung call gets here; the suite must still end in bounded time.
    TerminateThread(thread.get(), 1);
    ADD_FAILURE() << "the call from the other apartment did not finish in " << timeout_ms << " ms";
    return false;
  }
  if (FAILED(work.unmarshal_result)) {
    ADD_FAILURE() << "CoGetInterfaceAndReleaseStream: 0x" << std::hex << work.unmarshal_result;
    return false;
  }
  return true;
}

}  // namespace zorvik::test
