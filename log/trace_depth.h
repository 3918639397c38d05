// The process-wide nesting depth of open call traces, which indents every
// trace and detail line so that nested calls read as a tree.
#pragma once

#include <cstdint>
#include <ostream>

namespace zorvik {

// The unit of indentation: one per open trace.
inline constexpr char kTraceIndent[] = "     ";

// The number of call traces open in the process, on all threads together.
int32_t CurrentTraceDepth();

// A trace opens: the depth rises by one.
void EnterTraceLevel();

// A trace closes: the depth falls by one; returns the depth after the fall.
int32_t LeaveTraceLevel();

// Writes `depth` indentation units (none for a depth below 1).
void WriteIndent(std::ostream& out, int32_t depth);

}  // namespace zorvik
