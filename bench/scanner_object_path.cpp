// The scanner object `zorvik` linked into the benchmark: the component's own
// work per call (trace frame, session and lock checks) without COM.
#include "session_path.h"
#include "zorvik_object.h"

namespace zorvik::bench {
namespace {

// A base of its own so the object is made before the session path and
// destroyed after it has closed the session.
struct ScannerObjectHolder {
  zorvik object;
};

class ScannerObjectPath : private ScannerObjectHolder, public SessionPath<zorvik> {
 public:
  explicit ScannerObjectPath(const wchar_t* device)
      : SessionPath("scanner object", &object, device) {}
};

}  // namespace

std::unique_ptr<BenchPath> MakeScannerObjectPath(const wchar_t* device) {
  auto path = std::make_unique<ScannerObjectPath>(device);
  if (!path->Open()) return nullptr;
  return path;
}

}  // namespace zorvik::bench
