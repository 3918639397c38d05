// The trace depth counter, changed only by atomic (interlocked) operations.
#include "trace_depth.h"

#include <atomic>

namespace zorvik {

namespace {
std::atomic<int32_t> g_trace_depth{0};
}

int32_t CurrentTraceDepth() { return g_trace_depth.load(std::memory_order_relaxed); }

void EnterTraceLevel() { g_trace_depth.fetch_add(1, std::memory_order_relaxed); }

int32_t LeaveTraceLevel() { return g_trace_depth.fetch_sub(1, std::memory_order_relaxed) - 1; }

void WriteIndent(std::ostream& out, int32_t depth) {
  for (int32_t level = 0; level < depth; ++level) out << kTraceIndent;
}

}  // namespace zorvik
