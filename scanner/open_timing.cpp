// The open's waits and their test seams.
#include "open_timing.h"

#include <windows.h>

#include <atomic>

namespace zorvik {

namespace {
std::atomic<uint32_t> g_lock_timeout_for_testing{0};
std::atomic<RetryPauseFunction> g_retry_pause_for_testing{nullptr};
}  // namespace

uint32_t OpenLockTimeoutMs() {
  const uint32_t timeout = g_lock_timeout_for_testing.load();
  return timeout != 0 ? timeout : kOpenLockTimeoutMs;
}

void PauseBeforeInitializeRetry() {
  if (RetryPauseFunction pause = g_retry_pause_for_testing.load()) {
    pause(kInitializeRetryPauseMs);
    return;
  }
  Sleep(kInitializeRetryPauseMs);
}

void SetOpenLockTimeoutForTesting(uint32_t timeout_ms) { g_lock_timeout_for_testing = timeout_ms; }

void SetRetryPauseForTesting(RetryPauseFunction pause) { g_retry_pause_for_testing = pause; }

}  // namespace zorvik
