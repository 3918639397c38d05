// Runs one toolkit call on the calling thread's device, under the device's
// lock, and journals it with its arguments, the record handed in and the
// result.
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

template <typename Operation>
int32_t CallOnDevice(const std::shared_ptr<DeviceSlot>& slot, ToolkitEntry entry,
                     std::initializer_list<uint64_t> arguments, HandedIn handed_in,
                     Operation operation) {
  CriticalSectionGuard guard(slot->lock);
  const int32_t result = operation(slot->device);
  Journal::Instance().Append(entry, slot->handle, arguments, handed_in.data, handed_in.size,
                             result);
  return result;
}

template <typename Operation>
int32_t CallSelectedDevice(ToolkitEntry entry, std::initializer_list<uint64_t> arguments,
                           HandedIn handed_in, Operation operation) {
  return CallOnDevice(DeviceRegistry::Instance().Selected(), entry, arguments, handed_in,
                      operation);
}

}  // namespace zorvik::sim
