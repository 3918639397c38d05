// A path through the component's IScanner methods, on any object that has
// them with the interface's signatures: the scanner object `zorvik` or an
// IScanner pointer. It opens a session on the default device and holds its
// THREAD lock from creation to destruction, as a host does during a scan.
#pragma once

#include <cstdio>

#include "bench_path.h"

namespace zorvik::bench {

template <typename Scanner>
class SessionPath : public BenchPath {
 public:
  static constexpr DWORD kUsb = ZORVIK_DEVICE_IO_USB;
  static constexpr WORD kThreadLock = ZORVIK_LOCK_THREAD;
  static constexpr DWORD kLockTimeoutMs = 5000;

  SessionPath(const char* name, Scanner* scanner, const wchar_t* device = nullptr)
      : name_(name), scanner_(scanner), device_(device) {}
  ~SessionPath() override {
    DWORD error = 0;
    if (locked_) scanner_->UnlockScanner(session_, &error);
    if (session_ != 0) scanner_->CloseScannerSession(session_, &error);
  }
  SessionPath(const SessionPath&) = delete;
  SessionPath& operator=(const SessionPath&) = delete;

  // False, with the error code on stderr, when the session or lock fails.
  bool Open() {
    DWORD error = 0;
    if (FAILED(
            scanner_->OpenScannerSession(const_cast<wchar_t*>(device_), kUsb, &session_, &error))) {
      std::fprintf(stderr, "zorvik_bench: %s: OpenScannerSession failed, error code %lu\n", name_,
                   error);
      return false;
    }
    locked_ = SUCCEEDED(scanner_->LockScanner(session_, kThreadLock, kLockTimeoutMs, &error));
    if (!locked_)
      std::fprintf(stderr, "zorvik_bench: %s: LockScanner failed, error code %lu\n", name_, error);
    return locked_;
  }

  const char* Name() const override { return name_; }
  bool LampStatus() override {
    BYTE lamp = 0;
    DWORD error = 0;
    return SUCCEEDED(scanner_->GetLampStatus(session_, &lamp, &error));
  }
  bool StartScan(const SCANNER_PARAMETERS& params) override {
    SCANNER_PARAMETERS copy = params;
    BYTE* gamma = const_cast<BYTE*>(IdentityGammaTable());
    DWORD error = 0;
    return SUCCEEDED(scanner_->SetScannerParameters(session_, &copy, &error)) &&
           SUCCEEDED(scanner_->SetGammaTable(session_, ZORVIK_GAMMA_TABLE_SIZE, gamma, gamma, gamma,
                                             &error)) &&
           SUCCEEDED(scanner_->StartScan(session_, &error));
  }
  bool ReadScan(uint8_t* buffer, uint32_t bytes) override {
    DWORD error = 0;
    return SUCCEEDED(scanner_->ReadScan(session_, buffer, bytes, &error));
  }
  bool StopScan() override {
    DWORD error = 0;
    return SUCCEEDED(scanner_->StopScan(session_, &error));
  }
  bool BufferInfo(const SCANNER_PARAMETERS& params, BUFFER_INFO* info) override {
    SCANNER_PARAMETERS copy = params;
    DWORD error = 0;
    return SUCCEEDED(scanner_->GetBufferInfo(session_, &copy, info, &error));
  }

 private:
  const char* name_;
  Scanner* scanner_;
  const wchar_t* device_;
  DWORD session_ = 0;
  bool locked_ = false;
};

}  // namespace zorvik::bench
