// A minimal IStream whose Read is the toolkit's ReadScan; every other
// method is refused. It deliberately has no IMarshal, so COM marshals it
// with the standard marshaller.
#include "toolkit_stream.h"

#include <atomic>

#include "interleaved_reads.h"

namespace zorvik::bench {
namespace {

class ToolkitStream final : public IStream {
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
  // Made on the apartment's thread, so the reader selects the device there.
  bool valid() const { return reader_.valid(); }

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG bytes, ULONG* read) override {
    const bool done = reader_.Read(static_cast<uint8_t*>(buffer), bytes);
    if (read != nullptr) *read = done ? bytes : 0;
    last_reader_thread_ = GetCurrentThreadId();
    return done ? S_OK : E_FAIL;
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
  const ToolkitScanReader reader_;
};

std::atomic<DWORD> ToolkitStream::last_reader_thread_{0};

}  // namespace

CrossApartmentToolkitStream::CrossApartmentToolkitStream(OtherApartment& apartment)
    : apartment_(apartment) {
  uintptr_t object_address = 0;
  const HRESULT created = apartment_.Create(
      [](IUnknown** object) {
        auto* stream = new ToolkitStream;
        if (!stream->valid()) {
          stream->Release();
          return E_FAIL;
        }
        *object = static_cast<IStream*>(stream);
        return S_OK;
      },
      IID_IStream, reinterpret_cast<void**>(proxy_.GetAddressOf()), &object_address);
  if (FAILED(created))
    failure_ = "the stream could not be made or marshalled";
  else if (reinterpret_cast<uintptr_t>(proxy_.Get()) == object_address)
    failure_ = "the caller got the stream itself, not a proxy";
}

bool CrossApartmentToolkitStream::Read(uint8_t* buffer, uint32_t bytes) {
  ULONG read = 0;
  return SUCCEEDED(proxy_->Read(buffer, bytes, &read)) && read == bytes &&
         ToolkitStream::last_reader_thread_ == apartment_.thread_id();
}

}  // namespace zorvik::bench
