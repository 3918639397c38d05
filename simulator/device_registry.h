// The simulated devices of the process, keyed by the I/O handle that
// SetIOHandle selects them with. A device's description is read through its
// handle, from offset 0, the first time the handle is selected; the null
// handle is the built-in default device. The selection belongs to the
// calling thread, so threads that drive different devices do not disturb
// each other.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "critical_section.h"
#include "device.h"

namespace zorvik::sim {

// The file behind a handle, so that a handle value the system hands out
// again for another file is not mistaken for the old device.
struct FileIdentity {
  bool known = false;
  DWORD volume = 0;
  DWORD index_high = 0;
  DWORD index_low = 0;
  bool operator==(const FileIdentity&) const = default;
};

struct DeviceSlot {
  DeviceSlot(uint64_t handle_value, Device simulated, FileIdentity file, std::string problem_text)
      : handle(handle_value),
        device(std::move(simulated)),
        identity(file),
        problems(std::move(problem_text)) {}

  const uint64_t handle;
  CriticalSection lock;  // held for each call on the device
  Device device;
  const FileIdentity identity;
  const std::string problems;  // what the description had that was not understood
};

class DeviceRegistry {
 public:
  static DeviceRegistry& Instance();

  // Makes the device behind `handle` the calling thread's device.
  std::shared_ptr<DeviceSlot> Select(HANDLE handle);
  // The calling thread's device: the default device until it selects another.
  std::shared_ptr<DeviceSlot> Selected();
  // Forgets `slot`'s device and gives the calling thread the default device.
  void Forget(const std::shared_ptr<DeviceSlot>& slot);

  // Text in the device-file format for the default device; none: built in.
  void SetDefaultDescription(std::optional<std::string> text);
  uint32_t Count();
  void Reset();

 private:
  // The device for `handle`, made when missing or when its file changed.
  std::shared_ptr<DeviceSlot> Find(uint64_t handle, bool check_identity);
  std::shared_ptr<DeviceSlot> Load(uint64_t handle, const FileIdentity& identity);

  CriticalSection lock_;
  std::map<uint64_t, std::shared_ptr<DeviceSlot>> devices_;
  std::optional<std::string> default_text_;
};

}  // namespace zorvik::sim
