// The COM object in the caller's apartment, created with CoCreateInstance;
// zorvik.dll must be registered (ScopedRegistration) and the calling
// thread in an apartment.
#include <wrl/client.h>

#include <cstdio>

#include "session_path.h"

namespace zorvik::bench {
namespace {

// A base of its own so the object is made before the session path and
// released after it has closed the session.
struct ComObjectHolder {
  ComObjectHolder() {
    CoCreateInstance(CLSID_ZORVIK, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&scanner));
  }
  Microsoft::WRL::ComPtr<IScanner> scanner;
};

class ComPath : private ComObjectHolder, public SessionPath<IScanner> {
 public:
  ComPath() : SessionPath("COM in-apartment", scanner.Get()) {}
  bool created() const { return scanner != nullptr; }
};

}  // namespace

std::unique_ptr<BenchPath> MakeComPath() {
  auto path = std::make_unique<ComPath>();
  if (!path->created()) {
    std::fprintf(stderr, "zorvik_bench: COM in-apartment: CoCreateInstance of ZORVIK failed\n");
    return nullptr;
  }
  if (!path->Open()) return nullptr;
  return path;
}

}  // namespace zorvik::bench
