// Appending one finished text to the log file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvik {

// How long an append waits for the log file's semaphore: long against one
// append, short against a host's patience.  A process killed while holding
// the unit never gives it back, so after this the append goes ahead unlocked.
constexpr uint32_t kLogFileLockTimeoutMs = 2000;

// The text as a text-mode file stores it: every "\n" becomes "\r\n".
std::string ToTextModeLineEnds(std::string_view text);

// Appends `text` to the file at `file_path` (created when absent) with one
// write, under the path's semaphore.  Failures are silent: the text is
// dropped for the file.
void AppendToLogFile(const char* file_path, std::string_view text);

}  // namespace zorvik
