// A call on a thread of its own, waited for with a time limit.
#include "bounded_call.h"

#include <memory>

#include "com_apartment.h"

namespace zorvik::test {
namespace {

DWORD WINAPI RunCall(void* parameter) {
  std::unique_ptr<std::function<void()>> call(static_cast<std::function<void()>*>(parameter));
  ComApartment apartment(COINIT_MULTITHREADED);
  (*call)();
  call.reset();  // what the call holds (proxies) is released inside the apartment
  return 0;
}

}  // namespace

CallOnOwnThread::CallOnOwnThread(std::function<void()> call) {
  auto owned = std::make_unique<std::function<void()>>(std::move(call));
  thread_.reset(CreateThread(nullptr, 0, RunCall, owned.get(), 0, nullptr));
  if (thread_) owned.release();  // the thread owns it now
}

bool CallOnOwnThread::Finished(DWORD timeout_ms) const {
  return thread_ && WaitForSingleObject(thread_.get(), timeout_ms) == WAIT_OBJECT_0;
}

}  // namespace zorvik::test
