// The COM object created in another single-threaded apartment (its own, or
// one it shares with the yardstick it is set against) and called from the
// benchmark's apartment through the proxies of zorvik.dll, as a host with a
// worker apartment does.
#include <wrl/client.h>

#include <cstdio>
#include <memory>

#include "other_apartment.h"
#include "session_path.h"

namespace zorvik::bench {
namespace {

// A base of its own: the apartment and the proxy outlive the session path,
// which closes its session through the proxy.
struct CrossApartmentHolder {
  explicit CrossApartmentHolder(OtherApartment* shared)
      : own_apartment(shared ? nullptr : std::make_unique<OtherApartment>()),
        apartment(shared ? *shared : *own_apartment) {
    uintptr_t object_address = 0;
    created = apartment.Create(
        [](IUnknown** object) {
          return CoCreateInstance(CLSID_ZORVIK, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(object));
        },
        IID_IScanner, reinterpret_cast<void**>(proxy.GetAddressOf()), &object_address);
    is_proxy = proxy && reinterpret_cast<uintptr_t>(proxy.Get()) != object_address;
  }
  const std::unique_ptr<OtherApartment> own_apartment;
  OtherApartment& apartment;
  Microsoft::WRL::ComPtr<IScanner> proxy;
  HRESULT created = E_FAIL;
  bool is_proxy = false;
};

class CrossApartmentPath : private CrossApartmentHolder, public SessionPath<IScanner> {
 public:
  explicit CrossApartmentPath(OtherApartment* shared)
      : CrossApartmentHolder(shared), SessionPath("COM across apartments", proxy.Get()) {}
  HRESULT created_result() const { return created; }
  bool through_proxy() const { return is_proxy; }
};

std::unique_ptr<BenchPath> MakeCrossApartment(OtherApartment* shared) {
  auto path = std::make_unique<CrossApartmentPath>(shared);
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

}  // namespace

std::unique_ptr<BenchPath> MakeCrossApartmentPath() { return MakeCrossApartment(nullptr); }

std::unique_ptr<BenchPath> MakeCrossApartmentPath(OtherApartment& apartment) {
  return MakeCrossApartment(&apartment);
}

}  // namespace zorvik::bench
