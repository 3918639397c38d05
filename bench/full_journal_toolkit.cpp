// Filling the simulated toolkit's journal with lamp status questions, the
// cheapest call it journals.
#include "full_journal_toolkit.h"

#include <windows.h>

#include <cstdint>

#include "simulator_control.h"
#include "test_paths.h"

namespace zorvik::bench {

FullJournalToolkit::FullJournalToolkit()
    : module_(LoadLibraryW((test::ExecutableDir() + L"KELMARTK.DLL").c_str())) {
  if (!module_) return;
  using GetLightStatusEntry = int32_t(WINAPI*)(uint8_t * lamp);
  // GetProcAddress hands out a generic function pointer; going through
  // void (*)() tells the compiler the cast to the real signature is meant.
  const auto light_status = reinterpret_cast<GetLightStatusEntry>(
      reinterpret_cast<void (*)()>(GetProcAddress(module_.get(), "GetLightStatus")));
  if (light_status == nullptr) return;
  uint8_t lamp = 0;
  for (size_t call = 0; call < sim::kJournalCapacity; ++call) light_status(&lamp);
  filled_ = true;
}

}  // namespace zorvik::bench
