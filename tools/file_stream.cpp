// The file stream's methods: thin calls of the file functions, each failure
// turned into an HRESULT once, in Fail.
#include "file_stream.h"

namespace zorvik::host {

HRESULT FileStream::Fail(DWORD error) {
  // A failing call that set no error still failed.
  const HRESULT hr = HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
  if (SUCCEEDED(first_failure_)) first_failure_ = hr;
  return hr;
}

bool FileStream::FitsLimit(uint64_t end) {
  if (end <= size_limit_) return true;
  Fail(ERROR_DISK_FULL);
  return false;
}

HRESULT FileStream::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) ||
      IsEqualIID(iid, IID_IStream)) {
    *object = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FileStream::AddRef() { return ++references_; }

ULONG FileStream::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT FileStream::Read(void* buffer, ULONG size, ULONG* read) {
  DWORD got = 0;
  const BOOL ok = ReadFile(file_, buffer, size, &got, nullptr);
  if (read != nullptr) *read = got;
  if (!ok) return HRESULT_FROM_WIN32(GetLastError());
  return got == size ? S_OK : S_FALSE;
}

HRESULT FileStream::Write(const void* buffer, ULONG size, ULONG* written) {
  if (written != nullptr) *written = 0;
  LARGE_INTEGER position = {};
  if (!SetFilePointerEx(file_, {}, &position, FILE_CURRENT)) return Fail(GetLastError());
  if (!FitsLimit(static_cast<uint64_t>(position.QuadPart) + size)) {
    return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
  }
  DWORD put = 0;
  const BOOL ok = WriteFile(file_, buffer, size, &put, nullptr);
  if (written != nullptr) *written = put;
  if (!ok) return Fail(GetLastError());
  // A short write without an error is a full disk by another name.
  if (put != size) return Fail(ERROR_DISK_FULL);
  return S_OK;
}

HRESULT FileStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
  // STREAM_SEEK_SET, _CUR and _END have FILE_BEGIN, _CURRENT and _END's values.
  LARGE_INTEGER reached = {};
  if (!SetFilePointerEx(file_, move, &reached, origin)) return Fail(GetLastError());
  if (position != nullptr) position->QuadPart = static_cast<ULONGLONG>(reached.QuadPart);
  return S_OK;
}

HRESULT FileStream::SetSize(ULARGE_INTEGER size) {
  if (!FitsLimit(size.QuadPart)) return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
  LARGE_INTEGER kept = {};
  LARGE_INTEGER end = {};
  end.QuadPart = static_cast<LONGLONG>(size.QuadPart);
  if (!SetFilePointerEx(file_, {}, &kept, FILE_CURRENT) ||
      !SetFilePointerEx(file_, end, nullptr, FILE_BEGIN) || !SetEndOfFile(file_) ||
      !SetFilePointerEx(file_, kept, nullptr, FILE_BEGIN)) {
    return Fail(GetLastError());
  }
  return S_OK;
}

HRESULT FileStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) {
  return E_NOTIMPL;
}

HRESULT FileStream::Commit(DWORD) {
  if (!FlushFileBuffers(file_)) return Fail(GetLastError());
  return S_OK;
}

HRESULT FileStream::Revert() { return E_NOTIMPL; }

HRESULT FileStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
  return STG_E_INVALIDFUNCTION;
}

HRESULT FileStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
  return STG_E_INVALIDFUNCTION;
}

HRESULT FileStream::Stat(STATSTG* stat, DWORD) {
  if (stat == nullptr) return STG_E_INVALIDPOINTER;
  *stat = {};
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file_, &size)) return HRESULT_FROM_WIN32(GetLastError());
  stat->type = STGTY_STREAM;
  stat->cbSize.QuadPart = static_cast<ULONGLONG>(size.QuadPart);
  stat->grfMode = STGM_READWRITE;
  return S_OK;
}

HRESULT FileStream::Clone(IStream** clone) {
  if (clone != nullptr) *clone = nullptr;
  return E_NOTIMPL;
}

}  // namespace zorvik::host
