// What zorvik_scan prints about the scanner itself: its capability record,
// the lamp and the front-panel buttons. Pure text from the records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zorvik.h"

namespace zorvik::host {

// One "name: value" line per field a user cares about, lengths in 1/300 inch
// and in millimetres.
std::string FormatCapabilities(const SCANNER_CAPABILITIES& capabilities);

// "Lamp: on" or "Lamp: off".
std::string FormatLampStatus(bool on);

// "Button 1: pressed", "Button 2: released", one line each.
std::string FormatButtonStates(const std::vector<uint8_t>& states);

// True when any button reads as pressed.
bool AnyButtonPressed(const std::vector<uint8_t>& states);

}  // namespace zorvik::host
