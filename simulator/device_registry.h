// The simulated devices of the process, keyed by the I/O handle that
// SetIOHandle selects them with. A device's description is read through its
// handle, from offset 0, the first time the handle is selected; the null
// handle is the built-in default device.
//
// Like the vendor's toolkit, the registry keeps one selection for the whole
// process by default: a request goes to the device selected last, by
// whichever thread. It also remembers what each thread selected last, so that
// a request that another thread's selection has diverted is caught. A
// per-thread selection can be chosen instead, where threads driving
// different devices never disturb each other.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "critical_section.h"
#include "device.h"
#include "simulator_control.h"

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
  // Requests running on the device (waiting for `lock` or holding it): more
  // than one means two requests overlap.
  std::atomic<int> requests{0};
};

// The device a request goes to.
struct Selection {
  std::shared_ptr<DeviceSlot> slot;
  // The handle the requesting thread selected last (0: the default device,
  // also when it never selected one).
  uint64_t callers_choice = 0;
  // False when the request goes elsewhere: another thread's selection came
  // between the thread's SetIOHandle and this request.
  bool as_chosen = true;
};

class DeviceRegistry {
 public:
  static DeviceRegistry& Instance();

  // Makes the device behind `handle` the selected device (of the process, or
  // of the calling thread). Whether the handle still stands for the same file
  // costs a file-system call to find out, so it is asked only when the
  // selection changes, not at every request that selects the same device.
  std::shared_ptr<DeviceSlot> Select(HANDLE handle);
  // The device a request of the calling thread goes to: the default device
  // until one is selected.
  Selection Selected();
  // Forgets `slot`'s device; the selection goes back to the default device.
  void Forget(const std::shared_ptr<DeviceSlot>& slot);
  // Switches between one selection per process and one per thread; the
  // selection starts over on the default device.
  void SetSelectionMode(SIM_SELECTION_MODE mode);

  // Text in the device-file format for the default device; none: built in.
  void SetDefaultDescription(std::optional<std::string> text);
  uint32_t Count();
  void Reset();

 private:
  // The device for `handle`, made when missing or when its file changed.
  // The caller holds lock_.
  std::shared_ptr<DeviceSlot> Find(uint64_t handle, bool check_identity);
  std::shared_ptr<DeviceSlot> Load(uint64_t handle, const FileIdentity& identity);

  CriticalSection lock_;
  std::map<uint64_t, std::shared_ptr<DeviceSlot>> devices_;
  std::optional<std::string> default_text_;
  SIM_SELECTION_MODE mode_ = kSimSelectProcess;
  uint64_t process_selection_ = 0;
};

}  // namespace zorvik::sim
