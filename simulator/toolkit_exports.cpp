// The simulated toolkit's 31 entry points, expanded from the toolkit's one
// list of entry points. Each runs on the device the calling thread selected,
// under that device's lock, and is journaled with its arguments and any
// record handed in. They are exported by name through the module-definition
// file that CMakeLists.txt makes from the same list, so that a test build can
// leave one out.
#include <windows.h>

#include <cstdint>
#include <tuple>

#include "journaled_call.h"
#include "toolkit_entry_points.h"

namespace zorvik::sim {
namespace {

// The journal records pointers by address and numbers by value.
inline uint64_t JournalValue(const void* pointer) { return AsArgument(pointer); }
inline uint64_t JournalValue(uint64_t value) { return value; }

// The record an entry hands in, kept in the journal beside its arguments.
template <ToolkitEntry kEntry, typename... Arguments>
HandedIn HandedInBy([[maybe_unused]] const DeviceSlot& slot,
                    [[maybe_unused]] Arguments... arguments) {
  if constexpr (kEntry == ToolkitEntry::SetIOHandle) {
    // What the selected device's description held that was not understood.
    return {slot.problems.data(), slot.problems.size()};
  } else if constexpr (kEntry == ToolkitEntry::SetScanParameter) {
    const auto [parameter] = std::tuple(arguments...);
    return {parameter, parameter ? sizeof(*parameter) : 0};
  } else if constexpr (kEntry == ToolkitEntry::SetGammaTable) {
    // At most one 256-entry table, and never more than the caller says the
    // table has.
    const auto [table, channel, entries] = std::tuple(arguments...);
    return {table, table ? (entries < 256 ? entries : size_t{256}) : 0};
  } else {
    return {};
  }
}

// One request for `kEntry`, made by calling the object with the entry's
// arguments. SetIOHandle selects the device it names first; ClearIOHandle
// lets its device go afterwards, even when the call is scripted to fail,
// since its handle is about to be closed.
template <ToolkitEntry kEntry, typename Operation>
struct JournaledRequest {
  Operation operation;

  template <typename... Arguments>
  int32_t operator()(Arguments... arguments) const {
    std::shared_ptr<DeviceSlot> slot;
    if constexpr (kEntry == ToolkitEntry::SetIOHandle) {
      slot = DeviceRegistry::Instance().Select(arguments...);
    } else {
      slot = DeviceForRequest(kEntry);
    }
    const int32_t result = CallOnDevice(slot, kEntry, {JournalValue(arguments)...},
                                        HandedInBy<kEntry>(*slot, arguments...), operation);
    if constexpr (kEntry == ToolkitEntry::ClearIOHandle) DeviceRegistry::Instance().Forget(slot);
    return result;
  }
};

template <ToolkitEntry kEntry, typename Operation>
JournaledRequest<kEntry, Operation> Journaled(Operation operation) {
  return {operation};
}

}  // namespace
}  // namespace zorvik::sim

using zorvik::TOOLKIT_ABILITY;
using zorvik::TOOLKIT_BUTTON_EVENT;
using zorvik::TOOLKIT_BUTTON_INFO;
using zorvik::TOOLKIT_SCAN_PARAMETER;

#define ZORVIK_SIM_DEFINE_EXPORT(NAME, PARAMETERS, ARGUMENTS)                                \
  extern "C" int32_t WINAPI NAME PARAMETERS {                                                \
    return zorvik::sim::Journaled<zorvik::ToolkitEntry::NAME>(                               \
        [&](zorvik::sim::Device& simulated) { return simulated.NAME ARGUMENTS; }) ARGUMENTS; \
  }
ZORVIK_TOOLKIT_ENTRY_POINTS(ZORVIK_SIM_DEFINE_EXPORT, ZORVIK_SIM_DEFINE_EXPORT)
#undef ZORVIK_SIM_DEFINE_EXPORT
