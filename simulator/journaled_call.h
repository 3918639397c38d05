// Runs one toolkit call on the selected device, under the device's lock, and
// journals it with its arguments, the record handed in and the result; a
// call that overlaps another on its device, or that another thread's
// selection diverted, is recorded as a conflict as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "device_registry.h"
#include "journal.h"

namespace zorvik::sim {

inline uint64_t AsArgument(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

struct HandedIn {
  const void* data = nullptr;
  size_t size = 0;
};

// Counts a request on `slot` for as long as it runs.
class RunningRequest {
 public:
  explicit RunningRequest(DeviceSlot& slot) : slot_(slot), others_(slot.requests++) {}
  ~RunningRequest() { --slot_.requests; }
  RunningRequest(const RunningRequest&) = delete;
  RunningRequest& operator=(const RunningRequest&) = delete;

  // True when another request was running on the device as this one came.
  bool overlaps() const { return others_ != 0; }

 private:
  DeviceSlot& slot_;
  const int others_;
};

template <typename Operation>
int32_t CallOnDevice(const std::shared_ptr<DeviceSlot>& slot, ToolkitEntry entry,
                     std::initializer_list<uint64_t> arguments, HandedIn handed_in,
                     Operation operation) {
  const RunningRequest running(*slot);
  if (running.overlaps()) {
    Journal::Instance().AppendConflict(entry, kSimConflictOverlap, slot->handle, slot->handle);
  }
  CriticalSectionGuard guard(slot->lock);
  const int32_t result = operation(slot->device);
  Journal::Instance().Append(entry, slot->handle, arguments, handed_in.data, handed_in.size,
                             result);
  return result;
}

// The device that a request for `entry` from the calling thread goes to,
// with a conflict recorded when that is not the one the thread selected.
inline std::shared_ptr<DeviceSlot> DeviceForRequest(ToolkitEntry entry) {
  const Selection selection = DeviceRegistry::Instance().Selected();
  if (!selection.as_chosen) {
    Journal::Instance().AppendConflict(entry, kSimConflictOtherDevice, selection.callers_choice,
                                       selection.slot->handle);
  }
  return selection.slot;
}

template <typename Operation>
int32_t CallSelectedDevice(ToolkitEntry entry, std::initializer_list<uint64_t> arguments,
                           HandedIn handed_in, Operation operation) {
  return CallOnDevice(DeviceForRequest(entry), entry, arguments, handed_in, operation);
}

}  // namespace zorvik::sim
