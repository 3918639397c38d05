// Lengths on the flatbed: the user's millimetres or inches against the
// scanner's 1/300 inch, and how a length is written back to the user.
#pragma once

#include <cstdint>
#include <string>

#include "scan_options.h"

namespace zorvik::host {

// A length in `unit`, rounded to the nearest 1/300 inch (halves away from
// zero). Negative lengths give 0; lengths beyond any flatbed saturate at
// 1e9 rather than wrap.
uint32_t To300ths(double length, LengthUnit unit);

// A length in 1/300 inch, in `unit`.
double From300ths(uint64_t length300ths, LengthUnit unit);

// A number as a user writes it: at most two decimals, no trailing zeros
// ("215.9", "0.85", "12").
std::wstring DecimalText(double value);

}  // namespace zorvik::host
