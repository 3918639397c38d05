// The translation of a host's SCANNER_PARAMETERS into the toolkit's
// TOOLKIT_SCAN_PARAMETER record that StartScan later hands to the toolkit.
#pragma once

#include <string_view>

#include "driver_error.h"
#include "toolkit_records.h"
#include "zorvik.h"

namespace zorvik {

// The toolkit's model name from its ability record: the text before the first
// NUL, and never more than the field's 20 bytes, so an unterminated name
// cannot run into the next field.
std::string_view ToolkitModelName(const TOOLKIT_ABILITY& ability);

// Rewrites `record` for a scan described by `params` on a toolkit reporting
// `toolkitModelName`, and returns kErrNoError. The fields are written in a
// fixed order, and a refused record stops it where it is refused:
//  - scan mode not exactly one of COLOR, GREYSCALE and BW, a zero resolution,
//    or an area the toolkit record cannot carry (see ComputeScanGeometry):
//    kErrInvalidParameter with only the four position fields rewritten;
//  - wScanMethod above 3: kErrInvalidParameter with the position fields,
//    Pixel Num, Line Num, Scan Mode, Invert and Bits Per Pixel rewritten.
// Extended Scan Parameter is written only for 8 or fewer and exactly 16 bits
// per channel; for other depths it keeps the value of the previous call.
// Bytes 37 to 43 are never written.
DriverError TranslateScanParameters(const SCANNER_PARAMETERS& params,
                                    std::string_view toolkitModelName,
                                    TOOLKIT_SCAN_PARAMETER& record);

}  // namespace zorvik
