// A minimal IStream whose Read fills the buffer; every other method is
// refused. It deliberately has no IMarshal, so COM marshals it with the
// standard marshaller.
#include "filling_stream.h"

#include <objidl.h>
#include <wrl/client.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "other_apartment.h"
#include "read_throughput.h"
#include "stopwatch.h"

namespace zorvik::bench {
namespace {

class FillingStream final : public IStream {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
      *out = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG bytes, ULONG* read) override {
    std::memset(buffer, 0x5a, bytes);
    if (read != nullptr) *read = bytes;
    last_reader_thread_ = GetCurrentThreadId();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                   ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

  // Set by the proxy's calls only when they really run in the other apartment.
  static std::atomic<DWORD> last_reader_thread_;

 private:
  std::atomic<ULONG> references_{1};
};

std::atomic<DWORD> FillingStream::last_reader_thread_{0};

}  // namespace

double CrossApartmentStreamMegabytesPerSecond(uint32_t chunk, uint64_t total, int runs) {
  OtherApartment apartment;
  Microsoft::WRL::ComPtr<IStream> proxy;
  uintptr_t object_address = 0;
  const HRESULT created = apartment.Create(
      [](IUnknown** object) {
        *object = static_cast<IStream*>(new FillingStream);
        return S_OK;
      },
      IID_IStream, reinterpret_cast<void**>(proxy.GetAddressOf()), &object_address);
  if (FAILED(created) || reinterpret_cast<uintptr_t>(proxy.Get()) == object_address) return -1.0;

  std::vector<uint8_t> buffer(chunk);
  bool failed = false;
  const double figure = MedianOfRuns(runs, [&] {
    const double start = NowSeconds();
    for (uint64_t done = 0; done < total && !failed; done += chunk) {
      ULONG read = 0;
      failed = FAILED(proxy->Read(buffer.data(), chunk, &read)) || read != chunk;
    }
    return MegabytesPerSecond(total, NowSeconds() - start);
  });
  failed |= FillingStream::last_reader_thread_ != apartment.thread_id();
  proxy.Reset();
  return failed ? -1.0 : figure;
}

}  // namespace zorvik::bench
