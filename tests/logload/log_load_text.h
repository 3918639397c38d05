// What the writers of the log load test put into the log file, and the check
// of a whole log file against it. Kept free of the component so that the
// check itself is easy to read and to test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvik::test {

// A writer is one thread of one process: writer = process * kWritersPerProcess + thread.
constexpr uint32_t kWritersPerProcess = 16;

// The session handle a writer's traced call `sequence` names, so that its
// entry line carries the writer and the sequence number.
uint32_t LoadSessionHandle(uint32_t writer, uint32_t sequence);

// The ILog text of a writer's step `sequence`: long enough that a torn or
// interleaved append shows, and every character derived from the two numbers.
std::string LoadText(uint32_t writer, uint32_t sequence);

// What a log file held, line by line.
struct LoadLogCount {
  uint64_t texts = 0;               // ILog texts found whole
  uint64_t entries = 0;             // traced entry lines found whole
  uint64_t exits = 0;               // traced exit lines found whole
  std::vector<std::string> faults;  // the first few lines that were not as written
};

// Reads `file` (the bytes of the log, CR LF line ends) expecting from every
// writer in `writers` exactly `steps` ILog texts and `steps` traced calls,
// numbered 0 to steps - 1 in order. Every line must be one the writers or
// the trace write; anything else is a fault, as is a text missing, repeated
// or out of order.
LoadLogCount CheckLoadLog(const std::string& file, const std::vector<uint32_t>& writers,
                          uint32_t steps);

}  // namespace zorvik::test
