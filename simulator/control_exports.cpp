// The simulator-only exports declared in simulator_control.h.
#define ZORVIK_SIM_API __declspec(dllexport)
#include "simulator_control.h"

#include "device_registry.h"
#include "journal.h"

using zorvik::sim::DeviceRegistry;
using zorvik::sim::Journal;

extern "C" uint32_t WINAPI SimJournalCount() { return Journal::Instance().Count(); }

extern "C" int32_t WINAPI SimJournalEntry(uint32_t index, zorvik::sim::SIM_JOURNAL_ENTRY* entry) {
  return Journal::Instance().Entry(index, entry) ? 1 : 0;
}

extern "C" void WINAPI SimJournalClear() { Journal::Instance().Clear(); }

extern "C" int32_t WINAPI SimSetDefaultDevice(const char* description) {
  DeviceRegistry::Instance().SetDefaultDescription(
      description ? std::optional<std::string>(description) : std::nullopt);
  return 1;
}

extern "C" uint32_t WINAPI SimDeviceCount() { return DeviceRegistry::Instance().Count(); }

extern "C" uint32_t WINAPI SimConflictCount() { return Journal::Instance().ConflictCount(); }

extern "C" int32_t WINAPI SimConflictEntry(uint32_t index, zorvik::sim::SIM_CONFLICT* conflict) {
  return Journal::Instance().Conflict(index, conflict) ? 1 : 0;
}

extern "C" int32_t WINAPI SimSetSelectionMode(uint32_t mode) {
  if (mode != zorvik::sim::kSimSelectProcess && mode != zorvik::sim::kSimSelectThread) return 0;
  DeviceRegistry::Instance().SetSelectionMode(static_cast<zorvik::sim::SIM_SELECTION_MODE>(mode));
  return 1;
}

extern "C" void WINAPI SimReset() {
  DeviceRegistry::Instance().Reset();
  Journal::Instance().Clear();
}
