// Filling the simulated toolkit's journal with lamp status questions, the
// cheapest call it journals.
#include "full_journal_toolkit.h"

#include <windows.h>

#include <cstdint>

#include "simulator_control.h"
#include "toolkit_module.h"

namespace zorvik::bench {

FullJournalToolkit::FullJournalToolkit() : module_(LoadToolkitBesideProgram()) {
  if (!module_) return;
  using GetLightStatusEntry = int32_t(WINAPI*)(uint8_t * lamp);
  const auto light_status = EntryPoint<GetLightStatusEntry>(module_.get(), "GetLightStatus");
  if (light_status == nullptr) return;
  uint8_t lamp = 0;
  for (size_t call = 0; call < sim::kJournalCapacity; ++call) light_status(&lamp);
  filled_ = true;
}

}  // namespace zorvik::bench
