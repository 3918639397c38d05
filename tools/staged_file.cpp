// Temporary names, the hard link and the move of a staged file.
#include "staged_file.h"

#include <atomic>
#include <vector>

namespace zorvik::host {
namespace {

// Makes every temporary name of this process its own.
std::atomic<unsigned> g_serial{0};

HRESULT LastError() {
  const DWORD error = GetLastError();
  return HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
}

// A read-only file is one its owner asked not to have replaced, and a folder
// is no image; MoveFileEx refuses both on Windows, but not every file system
// under Wine does.
HRESULT CheckReplaceable(const std::wstring& target) {
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return S_OK;
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
    return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  }
  return S_OK;
}

HRESULT MoveOver(const std::wstring& from, const std::wstring& to) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return S_OK;
  }
  const HRESULT hr = LastError();
  DeleteFileW(from.c_str());
  return hr;
}

}  // namespace

std::wstring StagedFile::TemporaryMarker(const std::wstring& target) {
  return target + L".zorvik_scan-";
}

StagedFile::StagedFile(std::wstring target, std::wstring temporary, UniqueHandle file)
    : target_(std::move(target)), temporary_(std::move(temporary)), file_(std::move(file)) {}

HRESULT StagedFile::Create(const std::wstring& target, std::unique_ptr<StagedFile>* file) {
  if (file == nullptr) return E_POINTER;
  file->reset();
  if (target.empty()) return E_INVALIDARG;
  const HRESULT hr = CheckReplaceable(target);
  if (FAILED(hr)) return hr;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring temporary = TemporaryMarker(target) + L"unfinished-" +
                                   std::to_wstring(GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(g_serial++) + L".tmp";
    // Deleted by the system when the handle closes, however the process
    // ends; shared for deletion, so that the second name can be moved while
    // this one is open.
    UniqueHandle handle(CreateFileW(temporary.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (handle) {
      file->reset(new StagedFile(target, temporary, std::move(handle)));
      return S_OK;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return LastError();
  }
  return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
}

HRESULT StagedFile::CopyTo(const std::wstring& path) {
  UniqueHandle copy(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!copy) return LastError();
  HRESULT hr = SetFilePointerEx(file_.get(), {}, nullptr, FILE_BEGIN) ? S_OK : LastError();
  std::vector<uint8_t> buffer(1 << 20);
  while (SUCCEEDED(hr)) {
    DWORD got = 0;
    if (!ReadFile(file_.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      hr = LastError();
    } else if (got == 0) {
      break;
    } else {
      DWORD put = 0;
      if (!WriteFile(copy.get(), buffer.data(), got, &put, nullptr)) {
        hr = LastError();
      } else if (put != got) {
        hr = HRESULT_FROM_WIN32(ERROR_DISK_FULL);
      }
    }
  }
  if (SUCCEEDED(hr) && !FlushFileBuffers(copy.get())) hr = LastError();
  copy.reset();
  if (FAILED(hr)) DeleteFileW(path.c_str());
  return hr;
}

HRESULT StagedFile::Publish() {
  if (!file_) return E_UNEXPECTED;
  if (!FlushFileBuffers(file_.get())) return LastError();
  HRESULT hr = CheckReplaceable(target_);
  if (FAILED(hr)) return hr;
  // The complete file's second name; it lives only until the move.
  const std::wstring finished = TemporaryMarker(target_) + L"publishing-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(g_serial++) + L".tmp";
  if (!links_ || !CreateHardLinkW(finished.c_str(), temporary_.c_str(), nullptr)) {
    hr = CopyTo(finished);
    if (FAILED(hr)) return hr;
  }
  hr = MoveOver(finished, target_);
  if (FAILED(hr)) return hr;
  // The temporary name goes with its handle; the target keeps the data.
  file_.reset();
  return S_OK;
}

}  // namespace zorvik::host
