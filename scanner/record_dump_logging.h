// Writing one record dump into the log as one text, only when the logger's
// lines are wanted, so a disabled log costs no formatting.
#pragma once

#include <ostream>
#include <sstream>

#include "logger.h"

namespace zorvik {

// `dump` is one of the record formatters of record_dumps.h.
template <typename Record>
void LogRecordDump(CLogger& log, void (*dump)(std::ostream&, const Record&), const Record& record) {
  if (std::ostringstream* text = log.GetStream()) {
    dump(*text, record);
    log.Write(text);
  }
}

}  // namespace zorvik
