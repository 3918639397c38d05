// The two waits of a session's first open, the device lock's time-out and the
// pause between InitializeScanner attempts, with seams that let tests run the
// open's failure paths in milliseconds instead of up to 50 seconds.
#pragma once

#include <cstdint>

namespace zorvik {

inline constexpr uint32_t kOpenLockTimeoutMs = 5000;
inline constexpr uint32_t kInitializeRetryPauseMs = 5000;
// Attempts after the first failed InitializeScanner call: at most 10 calls.
inline constexpr int kInitializeRetries = 9;

// The time-out of the device lock taken while a first open sets the device up.
uint32_t OpenLockTimeoutMs();
// Pauses kInitializeRetryPauseMs (or what the test seam does instead).
void PauseBeforeInitializeRetry();

// Tests only: replace the open's lock time-out (0 restores kOpenLockTimeoutMs),
// and the retry pause by a function that receives the pause the product would
// make (null restores sleeping).
using RetryPauseFunction = void (*)(uint32_t pause_ms);
void SetOpenLockTimeoutForTesting(uint32_t timeout_ms);
void SetRetryPauseForTesting(RetryPauseFunction pause);

}  // namespace zorvik
