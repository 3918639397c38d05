// Devices by I/O handle: reading the description through the handle,
// reporting what it does not understand, and the selection.
#include "device_registry.h"

#include <cstdio>
#include <string_view>

namespace zorvik::sim {

namespace {

// A description is a short text; anything beyond this is not read.
constexpr DWORD kMaxDescriptionBytes = 64 * 1024;

// The handle each thread has selected last, if any. The library is loaded
// and unloaded once per session, so everything here that holds a process
// resource gives it back at unload: a TLS index of our own rather than
// thread_local, and objects at namespace scope, built when the library loads,
// rather than function-local statics, whose thread-safe initialisation guard
// takes a TLS slot that the runtime never frees. Each would leak one slot per
// session until the host runs out.
class ThreadSelection {
 public:
  ThreadSelection() : index_(TlsAlloc()) {}
  ~ThreadSelection() {
    if (index_ != TLS_OUT_OF_INDEXES) TlsFree(index_);
  }
  ThreadSelection(const ThreadSelection&) = delete;
  ThreadSelection& operator=(const ThreadSelection&) = delete;

  // The slot holds the handle plus one, so that 0 means "nothing selected".
  std::optional<uint64_t> Get() const {
    const uintptr_t stored =
        index_ == TLS_OUT_OF_INDEXES ? 0 : reinterpret_cast<uintptr_t>(TlsGetValue(index_));
    return stored == 0 ? std::nullopt : std::optional<uint64_t>(stored - 1);
  }
  void Set(uint64_t handle) {
    if (index_ != TLS_OUT_OF_INDEXES) {
      TlsSetValue(index_, reinterpret_cast<void*>(static_cast<uintptr_t>(handle + 1)));
    }
  }
  void Clear() {
    if (index_ != TLS_OUT_OF_INDEXES) TlsSetValue(index_, nullptr);
  }

 private:
  DWORD index_;
};

ThreadSelection g_selection;

uint64_t HandleValue(HANDLE handle) { return reinterpret_cast<uintptr_t>(handle); }
HANDLE HandleOf(uint64_t value) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)); }

FileIdentity IdentityOf(uint64_t handle) {
  BY_HANDLE_FILE_INFORMATION info;
  if (handle == 0 || !GetFileInformationByHandle(HandleOf(handle), &info)) return FileIdentity{};
  return FileIdentity{true, info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// Reads the description from offset 0, wherever the handle's file position
// stands.
bool ReadDescription(HANDLE handle, std::string* text, std::string* problem) {
  std::string buffer(kMaxDescriptionBytes + 1, '\0');
  DWORD total = 0;
  for (;;) {
    OVERLAPPED at{};
    at.Offset = total;
    DWORD read = 0;
    if (!ReadFile(handle, buffer.data() + total, kMaxDescriptionBytes + 1 - total, &read, &at)) {
      const DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      *problem = "the description cannot be read through the handle (error " +
                 std::to_string(error) + "): no scanner behind it";
      return false;
    }
    if (read == 0) break;
    total += read;
    if (total > kMaxDescriptionBytes) break;
  }
  if (total > kMaxDescriptionBytes) {
    total = kMaxDescriptionBytes;
    *problem = "the description is longer than " + std::to_string(kMaxDescriptionBytes) +
               " bytes; the rest is not read";
  }
  buffer.resize(total);
  *text = std::move(buffer);
  return true;
}

// One debugger line per problem, naming the device by its handle.
void ReportToDebugger(uint64_t handle, const std::string& problems) {
  char device[48];
  snprintf(device, sizeof(device),
           "KELMARTK simulator: device 0x%llx: ", static_cast<unsigned long long>(handle));
  std::string_view rest = problems;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    const std::string line = device + std::string(rest.substr(0, end)) + "\n";
    OutputDebugStringA(line.c_str());
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
}

DeviceRegistry g_registry;

}  // namespace

DeviceRegistry& DeviceRegistry::Instance() { return g_registry; }

std::shared_ptr<DeviceSlot> DeviceRegistry::Load(uint64_t handle, const FileIdentity& identity) {
  std::string text;
  std::string problems;
  bool present = true;
  if (handle == 0) {
    text = default_text_.value_or("");
  } else {
    std::string problem;
    present = ReadDescription(HandleOf(handle), &text, &problem);
    if (!problem.empty()) problems += problem + "\n";
  }
  ParsedDescription parsed = ParseDeviceDescription(text);
  for (const std::string& problem : parsed.problems) problems += problem + "\n";
  if (!problems.empty()) ReportToDebugger(handle, problems);
  return std::make_shared<DeviceSlot>(
      handle, present ? Device(std::move(parsed.description)) : Device::Absent(), identity,
      std::move(problems));
}

std::shared_ptr<DeviceSlot> DeviceRegistry::Find(uint64_t handle, bool check_identity) {
  std::shared_ptr<DeviceSlot>& slot = devices_[handle];
  if (!slot) {
    slot = Load(handle, IdentityOf(handle));
  } else if (check_identity && handle != 0) {
    const FileIdentity identity = IdentityOf(handle);
    if (!(identity == slot->identity)) slot = Load(handle, identity);
  }
  return slot;
}

std::shared_ptr<DeviceSlot> DeviceRegistry::Select(HANDLE handle) {
  const uint64_t value = HandleValue(handle);
  CriticalSectionGuard guard(lock_);
  const uint64_t previous =
      mode_ == kSimSelectProcess ? process_selection_ : g_selection.Get().value_or(0);
  process_selection_ = value;
  g_selection.Set(value);
  return Find(value, value != previous);
}

Selection DeviceRegistry::Selected() {
  const std::optional<uint64_t> choice = g_selection.Get();
  CriticalSectionGuard guard(lock_);
  const uint64_t handle = mode_ == kSimSelectProcess ? process_selection_ : choice.value_or(0);
  return Selection{Find(handle, false), choice.value_or(0), !choice || *choice == handle};
}

void DeviceRegistry::Forget(const std::shared_ptr<DeviceSlot>& slot) {
  g_selection.Set(0);
  CriticalSectionGuard guard(lock_);
  process_selection_ = 0;
  const auto found = devices_.find(slot->handle);
  if (found != devices_.end() && found->second == slot) devices_.erase(found);
}

void DeviceRegistry::SetSelectionMode(SIM_SELECTION_MODE mode) {
  g_selection.Clear();
  CriticalSectionGuard guard(lock_);
  mode_ = mode;
  process_selection_ = 0;
}

void DeviceRegistry::SetDefaultDescription(std::optional<std::string> text) {
  CriticalSectionGuard guard(lock_);
  default_text_ = std::move(text);
  devices_.erase(0);
}

uint32_t DeviceRegistry::Count() {
  CriticalSectionGuard guard(lock_);
  return static_cast<uint32_t>(devices_.size());
}

void DeviceRegistry::Reset() {
  SetSelectionMode(kSimSelectProcess);
  CriticalSectionGuard guard(lock_);
  devices_.clear();
  default_text_.reset();
}

}  // namespace zorvik::sim
