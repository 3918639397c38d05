// Formatters that write one record, field by field, into a log text stream,
// so the log shows exactly what crossed the host and toolkit boundaries.
//
// Each formatter writes one complete text: its lines, then the closing zero
// character. Numbers are decimal unless a line says hexadecimal; a switch to
// hexadecimal stays in force for the rest of that text until a line switches
// back. The formatters keep no state, accept any field values and never fail;
// the stream's own formatting state is restored before they return.
#pragma once

#include <ostream>

#include "zorvik.h"
#include "toolkit_records.h"

namespace zorvik {

// The capabilities returned to the host. The last line has no newline.
void DumpScannerCapabilities(std::ostream& out, const SCANNER_CAPABILITIES& caps);

// The buffer geometry returned to the host.
void DumpBufferInfo(std::ostream& out, const BUFFER_INFO& info);

// The scan parameters as the host passed them. An unknown scan mode leaves the
// stream hexadecimal for the numbers that follow it.
void DumpScannerParameters(std::ostream& out, const SCANNER_PARAMETERS& params);

// The ability record read from the toolkit at a session's first open.
void DumpToolkitAbility(std::ostream& out, const TOOLKIT_ABILITY& ability);

// The scan-parameter record about to be sent to the toolkit.
void DumpToolkitScanParameter(std::ostream& out, const TOOLKIT_SCAN_PARAMETER& params);

}  // namespace zorvik
