// A COM stream over a file handle that remembers its first failure. Image
// encoders do not all pass on a failed write (Wine's TIFF encoder ignores
// them), so the image writer asks the stream itself whether every write,
// seek, resize and flush succeeded, with the system's own error code.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <atomic>
#include <cstdint>

namespace zorvik::host {

class FileStream : public IStream {
 public:
  // Borrows `file`, which must stay open while the stream is in use. The
  // stream starts with one reference, its creator's.
  explicit FileStream(HANDLE file) : file_(file) {}

  // S_OK, or the first failure of a write, seek, resize or flush as
  // HRESULT_FROM_WIN32 of the system's error.
  HRESULT first_failure() const { return first_failure_; }

  // Makes the stream behave as if its disk had room for a file of `bytes`
  // only: a write or resize past it fails with ERROR_DISK_FULL.
  void LimitSizeForTesting(uint64_t bytes) { size_limit_ = bytes; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // ISequentialStream
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override;
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG size, ULONG* written) override;

  // IStream
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                 ULARGE_INTEGER* position) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                   ULARGE_INTEGER*) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Revert() override;
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override;
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override;
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override;

 private:
  virtual ~FileStream() = default;
  // Records `error` as the stream's failure, if it is the first, and returns
  // it as an HRESULT.
  HRESULT Fail(DWORD error);
  // False, with ERROR_DISK_FULL recorded, when a file of `end` bytes would
  // not fit the test's limit.
  bool FitsLimit(uint64_t end);

  HANDLE file_;
  std::atomic<ULONG> references_{1};
  HRESULT first_failure_ = S_OK;
  uint64_t size_limit_ = UINT64_MAX;
};

}  // namespace zorvik::host
