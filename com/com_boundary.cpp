// The log line of an exception stopped at the component's boundary.
#include "com_boundary.h"

#include "logger.h"

namespace zorvik {

void LogExceptionAtBoundary(const char* entry, bool out_of_memory) noexcept {
  try {
    CLogger log(LOG_ATTR_DETAIL);
    log.WriteFormatted(out_of_memory ? "%s: out of memory, returning E_OUTOFMEMORY"
                                     : "%s: unexpected exception, returning E_UNEXPECTED",
                       entry);
  } catch (...) {
    // Logging never reports its own failures.
  }
}

}  // namespace zorvik
