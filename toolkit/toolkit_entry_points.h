// The one list of the scanner toolkit's 31 entry points, in table order.
// The binding's function table, the names it resolves, its thin calls and the
// simulated toolkit's exports are all expanded from this list, so they cannot
// drift apart.
//
// ZORVIK_TOOLKIT_ENTRY_POINTS(CALLED, UNCALLED) expands
//   CALLED(name, (parameters), (arguments))    for an entry point the
//                                               component calls through a
//                                               thin call;
//   UNCALLED(name, (parameters), (arguments))  for one it only resolves (it
//                                               must still be present).
// Every entry point uses WINAPI and returns a 32-bit integer, 0 meaning
// failure. Expanding the parameter lists needs <windows.h> (HANDLE) and
// toolkit_records.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "toolkit_records.h"

// clang-format off
#define ZORVIK_TOOLKIT_ENTRY_POINTS(CALLED, UNCALLED)                                        \
  CALLED(InitializeScanner, (), ())                                                        \
  CALLED(ResetScanner, (uint8_t* scratch), (scratch))                                      \
  UNCALLED(GetScannerAbility, (TOOLKIT_ABILITY* ability), (ability))                       \
  CALLED(SetScanParameter, (const TOOLKIT_SCAN_PARAMETER* parameter), (parameter))         \
  CALLED(StartScan, (), ())                                                                \
  CALLED(ReadScan, (uint8_t* status, uint8_t* buffer, uint32_t bytes),                     \
         (status, buffer, bytes))                                                          \
  CALLED(StopScan, (), ())                                                                 \
  UNCALLED(DoCalibration, (), ())                                                          \
  CALLED(SetGammaTable, (const uint8_t* table, uint8_t channel, uint16_t entries),         \
         (table, channel, entries))                                                        \
  UNCALLED(ChooseScanner, (), ())                                                          \
  CALLED(InitializeDriver, (), ())                                                         \
  UNCALLED(TerminateDriver, (), ())                                                        \
  UNCALLED(GetEOPStatus, (uint8_t* end_of_page), (end_of_page))                            \
  UNCALLED(SlowDownScanSpeed, (), ())                                                      \
  UNCALLED(SpeedUpScanSpeed, (), ())                                                       \
  UNCALLED(SetSpeedMode, (uint8_t mode), (mode))                                           \
  CALLED(GetScannerStatus,                                                                 \
         (uint8_t* status1, uint8_t* status2, uint8_t* status3, uint8_t* error_status),    \
         (status1, status2, status3, error_status))                                        \
  UNCALLED(SetPrintPortMode, (uint8_t mode), (mode))                                       \
  CALLED(LampOn, (), ())                                                                   \
  CALLED(LampOff, (), ())                                                                  \
  CALLED(GetLightStatus, (uint8_t* lamp_on), (lamp_on))                                    \
  CALLED(GetScannerAbilityEx, (TOOLKIT_ABILITY* ability), (ability))                       \
  UNCALLED(GetEOPStatusEx, (uint8_t* end_of_page, uint32_t* bytes_left),                   \
           (end_of_page, bytes_left))                                                      \
  UNCALLED(FlatbedTransLightSwitch, (uint8_t on), (on))                                    \
  UNCALLED(GetScannerStatusEx, (uint8_t* status), (status))                                \
  CALLED(ResetPushButton, (), ())                                                          \
  CALLED(ReadPushButton, (TOOLKIT_BUTTON_EVENT* event), (event))                           \
  UNCALLED(CheckPushButton, (uint8_t* pressed), (pressed))                                 \
  CALLED(InitialButton, (TOOLKIT_BUTTON_INFO* info), (info))                               \
  CALLED(ClearIOHandle, (), ())                                                            \
  CALLED(SetIOHandle, (HANDLE device), (device))
// clang-format on

namespace zorvik {

// The entry points by table position.
enum class ToolkitEntry : uint8_t {
#define ZORVIK_TOOLKIT_ENUMERATOR(name, ...) name,
  ZORVIK_TOOLKIT_ENTRY_POINTS(ZORVIK_TOOLKIT_ENUMERATOR, ZORVIK_TOOLKIT_ENUMERATOR)
#undef ZORVIK_TOOLKIT_ENUMERATOR
};

// The exported names, in table order.
inline constexpr const char* kToolkitEntryPointNames[] = {
#define ZORVIK_TOOLKIT_NAME_STRING(name, ...) #name,
    ZORVIK_TOOLKIT_ENTRY_POINTS(ZORVIK_TOOLKIT_NAME_STRING, ZORVIK_TOOLKIT_NAME_STRING)
#undef ZORVIK_TOOLKIT_NAME_STRING
};

inline constexpr size_t kToolkitEntryPointCount =
    sizeof(kToolkitEntryPointNames) / sizeof(kToolkitEntryPointNames[0]);
static_assert(kToolkitEntryPointCount == 31, "the toolkit has exactly 31 entry points");

inline constexpr const char* ToolkitEntryName(ToolkitEntry entry) {
  return kToolkitEntryPointNames[static_cast<size_t>(entry)];
}

}  // namespace zorvik
