// Every thin call of CToolkitInterface, once, with distinct arguments, and
// the arguments the toolkit should see for it: the table the binding tests
// run to check that each call reaches its own entry point unchanged, or,
// for an invalid binding, nothing at all.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "toolkit_interface.h"

namespace zorvik::test {

// The caller's areas the calls hand over, filled with a sentinel so that a
// call that should not reach the toolkit shows any write.
struct CallAreas {
  static constexpr uint8_t kSentinel = 0xA5;
  CallAreas() { std::memset(this, kSentinel, sizeof(*this)); }
  bool Untouched() const {
    const auto* bytes = reinterpret_cast<const uint8_t*>(this);
    for (size_t i = 0; i < sizeof(*this); ++i) {
      if (bytes[i] != kSentinel) return false;
    }
    return true;
  }

  TOOLKIT_ABILITY ability;
  TOOLKIT_SCAN_PARAMETER parameter;
  TOOLKIT_BUTTON_INFO buttons;
  TOOLKIT_BUTTON_EVENT event;
  uint8_t scratch[kResetScratchSize];
  uint8_t table[256];
  uint8_t status[4];
  uint8_t read_status;
  uint8_t lamp;
  uint8_t image[64];
};

inline uint64_t Address(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

struct ThinCall {
  const char* entry_point;
  std::function<int32_t(CToolkitInterface&)> call;
  std::vector<uint64_t> arguments;  // as the toolkit receives them
};

// In an order a scanner accepts: select, start up, scan, lamp, buttons, end.
inline std::vector<ThinCall> EveryThinCall(CallAreas& a, HANDLE device) {
  return {
      {"SetIOHandle",
       [=](CToolkitInterface& t) { return t.SetIOHandle(device); },
       {Address(device)}},
      {"InitializeDriver", [](CToolkitInterface& t) { return t.InitializeDriver(); }, {}},
      {"InitializeScanner", [](CToolkitInterface& t) { return t.InitializeScanner(); }, {}},
      {"InitialButton",
       [&](CToolkitInterface& t) { return t.InitialButton(&a.buttons); },
       {Address(&a.buttons)}},
      {"GetScannerAbilityEx",
       [&](CToolkitInterface& t) { return t.GetScannerAbilityEx(&a.ability); },
       {Address(&a.ability)}},
      {"SetScanParameter",
       [&](CToolkitInterface& t) { return t.SetScanParameter(&a.parameter); },
       {Address(&a.parameter)}},
      {"SetGammaTable",
       [&](CToolkitInterface& t) { return t.SetGammaTable(a.table, 2, 256); },
       {Address(a.table), 2, 256}},
      {"StartScan", [](CToolkitInterface& t) { return t.StartScan(); }, {}},
      {"ReadScan",
       [&](CToolkitInterface& t) { return t.ReadScan(&a.read_status, a.image, 17); },
       {Address(&a.read_status), Address(a.image), 17}},
      {"StopScan", [](CToolkitInterface& t) { return t.StopScan(); }, {}},
      {"LampOn", [](CToolkitInterface& t) { return t.LampOn(); }, {}},
      {"LampOff", [](CToolkitInterface& t) { return t.LampOff(); }, {}},
      {"GetLightStatus",
       [&](CToolkitInterface& t) { return t.GetLightStatus(&a.lamp); },
       {Address(&a.lamp)}},
      {"ResetScanner",
       [&](CToolkitInterface& t) { return t.ResetScanner(a.scratch); },
       {Address(a.scratch)}},
      {"GetScannerStatus",
       [&](CToolkitInterface& t) {
         return t.GetScannerStatus(&a.status[0], &a.status[1], &a.status[2], &a.status[3]);
       },
       {Address(&a.status[0]), Address(&a.status[1]), Address(&a.status[2]),
        Address(&a.status[3])}},
      {"ReadPushButton",
       [&](CToolkitInterface& t) { return t.ReadPushButton(&a.event); },
       {Address(&a.event)}},
      {"ResetPushButton", [](CToolkitInterface& t) { return t.ResetPushButton(); }, {}},
      {"ClearIOHandle", [](CToolkitInterface& t) { return t.ClearIOHandle(); }, {}},
  };
}

}  // namespace zorvik::test
