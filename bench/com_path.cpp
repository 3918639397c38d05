// The COM object in the caller's apartment: zorvik.dll from the benchmark's
// folder, registered for the run with its own DllRegisterServer and
// unregistered again at the end, created with CoCreateInstance.
#include <wrl/client.h>

#include <cstdio>

#include "module_path.h"
#include "session_path.h"
#include "unique_resource.h"

namespace zorvik::bench {
namespace {

using RegistrationExport = HRESULT(STDAPICALLTYPE*)();

RegistrationExport FindExport(HMODULE module, const char* name) {
  return reinterpret_cast<RegistrationExport>(
      reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Everything the COM path needs around the object, in the order it is set
// up: the apartment, the loaded and registered DLL, the object itself.
class ComObjectHolder {
 public:
  ComObjectHolder() {
    apartment_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    std::wstring path = ModulePath(nullptr);
    path.resize(path.find_last_of(L'\\') + 1);
    path += L"zorvik.dll";
    module_ = UniqueModule(LoadLibraryW(path.c_str()));
    if (!apartment_ || !module_) return;
    RegistrationExport do_register = FindExport(module_.get(), "DllRegisterServer");
    registered_ = do_register != nullptr && SUCCEEDED(do_register());
    if (registered_)
      CoCreateInstance(CLSID_ZORVIK, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&scanner_));
  }
  ~ComObjectHolder() {
    scanner_.Reset();
    if (registered_) {
      RegistrationExport do_unregister = FindExport(module_.get(), "DllUnregisterServer");
      if (do_unregister != nullptr) do_unregister();
    }
    module_.reset();
    if (apartment_) CoUninitialize();
  }
  ComObjectHolder(const ComObjectHolder&) = delete;
  ComObjectHolder& operator=(const ComObjectHolder&) = delete;

  IScanner* scanner() const { return scanner_.Get(); }
  const char* Failure() const {
    if (!apartment_) return "CoInitializeEx failed";
    if (!module_) return "zorvik.dll could not be loaded from the benchmark's folder";
    if (!registered_) return "DllRegisterServer failed";
    return scanner_ ? nullptr : "CoCreateInstance of ZORVIK failed";
  }

 private:
  bool apartment_ = false;
  UniqueModule module_;
  bool registered_ = false;
  Microsoft::WRL::ComPtr<IScanner> scanner_;
};

class ComPath : private ComObjectHolder, public SessionPath<IScanner> {
 public:
  ComPath() : SessionPath("COM in-apartment", scanner()) {}
  using ComObjectHolder::Failure;
};

}  // namespace

std::unique_ptr<BenchPath> MakeComPath() {
  auto path = std::make_unique<ComPath>();
  if (const char* failure = path->Failure()) {
    std::fprintf(stderr, "zorvik_bench: COM in-apartment: %s\n", failure);
    return nullptr;
  }
  if (!path->Open()) return nullptr;
  return path;
}

}  // namespace zorvik::bench
