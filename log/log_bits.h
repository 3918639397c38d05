// The function-attribute bits that say what kind of line a logger writes, and
// the destination bits of the log settings.
#pragma once

#include <cstdint>

namespace zorvik {

// Function attributes: a line is suppressed when it shares a bit with LogFilter.
constexpr uint32_t LOG_ATTR_BUTTON = 0x1, LOG_ATTR_TRACE = 0x2, LOG_ATTR_LOCK = 0x4,
                   LOG_ATTR_DETAIL = 0x8;

// Destinations (LogDestination): the log file, the debugger output, the log sink.
constexpr uint32_t LOG_DEST_FILE = 0x1, LOG_DEST_DEBUGGER = 0x2, LOG_DEST_SINK = 0x4;

}  // namespace zorvik
