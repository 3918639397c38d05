// The capability record a host reads: what this scanner model and this
// component can do, with the limits the toolkit reported when the session
// was opened.
#pragma once

#include "toolkit_records.h"
#include "zorvik.h"

namespace zorvik {

// Overwrites all of `capabilities`: the model's constants, the flatbed size
// and the optical and maximum colour resolutions of `ability` (in the
// toolkit's own units, unconverted), and zero in every other byte, alignment
// gaps included.
void FillScannerCapabilities(const TOOLKIT_ABILITY& ability, SCANNER_CAPABILITIES& capabilities);

}  // namespace zorvik
