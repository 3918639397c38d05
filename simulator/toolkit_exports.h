// The simulated toolkit's 31 exports, declared from the toolkit's one list of
// entry points, so each definition must match its name and parameters.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit_entry_points.h"

using zorvik::TOOLKIT_ABILITY;
using zorvik::TOOLKIT_BUTTON_EVENT;
using zorvik::TOOLKIT_BUTTON_INFO;
using zorvik::TOOLKIT_SCAN_PARAMETER;

#define ZORVIK_SIM_DECLARE_EXPORT(name, parameters, ...) \
  extern "C" __declspec(dllexport) int32_t WINAPI name parameters;
ZORVIK_TOOLKIT_ENTRY_POINTS(ZORVIK_SIM_DECLARE_EXPORT, ZORVIK_SIM_DECLARE_EXPORT)
#undef ZORVIK_SIM_DECLARE_EXPORT
