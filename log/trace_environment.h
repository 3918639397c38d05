// Where the call trace takes its clock, its local time and the process and
// thread identities from.  Production uses the system; tests put fixed values
// in through TraceEnvironmentForTesting to compare whole texts.
#pragma once

#include <cstdint>
#include <ctime>

namespace zorvik {

struct TraceEnvironment {
  uint32_t (*tick_count)();          // milliseconds since start, wrapping at 2^32
  uint32_t (*process_id)();          // the calling process
  uint32_t (*thread_id)();           // the calling thread
  void (*local_time)(std::tm* now);  // the current local time, broken down
};

// The table the call trace reads on every entry and exit.
const TraceEnvironment& CurrentTraceEnvironment();

// The same table, writable: tests replace entries and restore them after.
TraceEnvironment& TraceEnvironmentForTesting();

}  // namespace zorvik
