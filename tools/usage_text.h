// The texts zorvik_scan prints on request: the help (-h) and the list of
// every option with its allowed values and the value it has now (-A).
#pragma once

#include <string>

#include "scan_options.h"
#include "scan_request.h"

namespace zorvik::host {

std::wstring UsageText();

// One line per option: its name, what it accepts and its value in `options`.
// With `limits` (the scanner's, once known) the resolutions and the area
// show the scanner's ranges; without, only what any scan accepts.
std::wstring FormatAllOptions(const ScanOptions& options, const ScannerLimits* limits);

}  // namespace zorvik::host
