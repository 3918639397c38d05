// The COM object created in a single-threaded apartment of its own and called
// from the benchmark's apartment through the proxies of zorvik.dll, as a host
// with a worker apartment does.
#include <wrl/client.h>

#include <cstdio>

#include "other_apartment.h"
#include "session_path.h"

namespace zorvik::bench {
namespace {

// A base of its own: the apartment and the proxy outlive the session path,
// which closes its session through the proxy.
struct CrossApartmentHolder {
  CrossApartmentHolder() {
    uintptr_t object_address = 0;
    created = apartment.Create(
        [](IUnknown** object) {
          return CoCreateInstance(CLSID_ZORVIK, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(object));
        },
        IID_IScanner, reinterpret_cast<void**>(proxy.GetAddressOf()), &object_address);
    is_proxy = proxy && reinterpret_cast<uintptr_t>(proxy.Get()) != object_address;
  }
  OtherApartment apartment;
  Microsoft::WRL::ComPtr<IScanner> proxy;
  HRESULT created = E_FAIL;
  bool is_proxy = false;
};

class CrossApartmentPath : private CrossApartmentHolder, public SessionPath<IScanner> {
 public:
  CrossApartmentPath() : SessionPath("COM across apartments", proxy.Get()) {}
  HRESULT created_result() const { return created; }
  bool through_proxy() const { return is_proxy; }
};

}  // namespace

std::unique_ptr<BenchPath> MakeCrossApartmentPath() {
  auto path = std::make_unique<CrossApartmentPath>();
  if (FAILED(path->created_result())) {
    std::fprintf(stderr, "zorvik_bench: COM across apartments: creation failed, 0x%lx\n",
                 static_cast<unsigned long>(path->created_result()));
    return nullptr;
  }
  if (!path->through_proxy()) {
    std::fprintf(stderr, "zorvik_bench: COM across apartments: got the object, not a proxy\n");
    return nullptr;
  }
  if (!path->Open()) return nullptr;
  return path;
}

}  // namespace zorvik::bench
