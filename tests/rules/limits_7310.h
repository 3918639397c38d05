// The 7310's limits as its capabilities give them: the platen of 8.5 by 11.7
// inches (in 1/300 inch), the smallest area of 10 by 20, and 75 to 1200 dpi
// across, 2400 down. The host's request rules are checked against them.
#pragma once

#include "scan_request.h"

namespace zorvik::test {

inline host::ScannerLimits Limits7310() {
  host::ScannerLimits limits;
  limits.flatbed_width = 2550;
  limits.flatbed_height = 3510;
  limits.min_width = 10;
  limits.min_height = 20;
  limits.min_resolution = 75;
  limits.max_x_resolution = 1200;
  limits.max_y_resolution = 2400;
  return limits;
}

}  // namespace zorvik::test
