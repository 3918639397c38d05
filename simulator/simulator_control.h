// Simulator-only controls of the simulated toolkit KELMARTK.DLL: the journal
// of every toolkit call, the selection conflicts it saw, how SetIOHandle
// selects, and the description of the built-in default device.
// Tests and host developers use them; the component never does.
//
// SimulatorControl loads the simulator by full path and keeps it loaded, so
// the journal and the device states survive the component loading and
// unloading the toolkit in between.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "unique_resource.h"

namespace zorvik::sim {

// The journal keeps the newest this many calls.
inline constexpr size_t kJournalCapacity = 65536;
inline constexpr size_t kJournalDataCapacity = 512;
inline constexpr size_t kJournalArgumentCapacity = 4;

// One toolkit call, as the journal keeps it.
struct SIM_JOURNAL_ENTRY {
  char EntryPoint[32];  // the entry point's name
  uint32_t ThreadId;    // the calling thread
  int32_t Result;       // what the entry point returned
  uint64_t Device;      // the I/O handle of the device the call went to (0: the default)
  uint32_t ArgumentCount;
  // The arguments in order: numbers as they are, pointers as addresses.
  uint64_t Arguments[kJournalArgumentCapacity];
  // The bytes of the record or table handed in (SetScanParameter: 44 bytes,
  // SetGammaTable: its entries); for SetIOHandle the text of every problem
  // found in the device's description, one per line.
  uint32_t DataSize;
  uint8_t Data[kJournalDataCapacity];
};

// What went wrong with a request's device selection.
enum SIM_CONFLICT_KIND : uint32_t {
  // The request went to another device than the one its thread last
  // selected: another thread's SetIOHandle or ClearIOHandle came between.
  kSimConflictOtherDevice = 1,
  // The request arrived while another request on the same device was still
  // running.
  kSimConflictOverlap = 2,
};

// One selection conflict, as the simulator records it.
struct SIM_CONFLICT {
  char EntryPoint[32];  // the request's entry point
  uint32_t ThreadId;    // the requesting thread
  uint32_t Kind;        // a SIM_CONFLICT_KIND
  uint64_t Selected;    // the I/O handle the thread last selected
  uint64_t Device;      // the I/O handle of the device the request went to
};

// How SetIOHandle selects a device.
enum SIM_SELECTION_MODE : uint32_t {
  // One selection for the whole process, as the vendor's toolkit keeps it.
  kSimSelectProcess = 0,
  // One selection per thread: threads driving different devices never
  // disturb each other.
  kSimSelectThread = 1,
};

}  // namespace zorvik::sim

#ifndef ZORVIK_SIM_API
#define ZORVIK_SIM_API __declspec(dllimport)
#endif

extern "C" {
// The number of calls in the journal (the newest 65536 are kept).
ZORVIK_SIM_API uint32_t WINAPI SimJournalCount();
// Copies call `index` (0: the oldest kept) into `entry`; 0 when there is none.
ZORVIK_SIM_API int32_t WINAPI SimJournalEntry(uint32_t index,
                                              zorvik::sim::SIM_JOURNAL_ENTRY* entry);
ZORVIK_SIM_API void WINAPI SimJournalClear();
// Replaces the description of the default device (the null I/O handle) with
// `description`, text in the device-file format; null restores the built-in
// 7310. The default device starts afresh at its next use.
ZORVIK_SIM_API int32_t WINAPI SimSetDefaultDevice(const char* description);
// The number of devices whose state the simulator holds.
ZORVIK_SIM_API uint32_t WINAPI SimDeviceCount();
// The number of selection conflicts recorded (the newest 1024 are kept).
ZORVIK_SIM_API uint32_t WINAPI SimConflictCount();
// Copies conflict `index` (0: the oldest kept) into `conflict`; 0 when there
// is none.
ZORVIK_SIM_API int32_t WINAPI SimConflictEntry(uint32_t index, zorvik::sim::SIM_CONFLICT* conflict);
// Chooses how SetIOHandle selects (a SIM_SELECTION_MODE; process-wide until
// changed). Every thread starts over on the default device. 0 for an unknown
// mode, which changes nothing.
ZORVIK_SIM_API int32_t WINAPI SimSetSelectionMode(uint32_t mode);
// Forgets every device, restores the built-in default and the process-wide
// selection, and clears the journal and the conflicts.
ZORVIK_SIM_API void WINAPI SimReset();
}

namespace zorvik::sim {

class SimulatorControl {
 public:
  // Loads KELMARTK.DLL from beside the running program.
  SimulatorControl() : SimulatorControl(BesideProgram()) {}
  explicit SimulatorControl(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {
    Resolve(&journal_count_, "SimJournalCount");
    Resolve(&journal_entry_, "SimJournalEntry");
    Resolve(&journal_clear_, "SimJournalClear");
    Resolve(&set_default_device_, "SimSetDefaultDevice");
    Resolve(&device_count_, "SimDeviceCount");
    Resolve(&conflict_count_, "SimConflictCount");
    Resolve(&conflict_entry_, "SimConflictEntry");
    Resolve(&set_selection_mode_, "SimSetSelectionMode");
    Resolve(&reset_, "SimReset");
  }

  bool loaded() const {
    return journal_count_ && journal_entry_ && journal_clear_ && set_default_device_ &&
           device_count_ && conflict_count_ && conflict_entry_ && set_selection_mode_ && reset_;
  }

  uint32_t JournalCount() const { return journal_count_(); }
  void JournalClear() const { journal_clear_(); }
  std::vector<SIM_JOURNAL_ENTRY> Journal() const {
    std::vector<SIM_JOURNAL_ENTRY> entries(journal_count_());
    for (uint32_t i = 0; i < entries.size(); ++i) {
      if (!journal_entry_(i, &entries[i])) entries.resize(i);
    }
    return entries;
  }
  // The entry points of the journal, in call order.
  std::vector<std::string> JournalNames() const {
    std::vector<std::string> names;
    for (const SIM_JOURNAL_ENTRY& entry : Journal()) names.emplace_back(entry.EntryPoint);
    return names;
  }
  void SetDefaultDevice(const char* description) const { set_default_device_(description); }
  uint32_t DeviceCount() const { return device_count_(); }
  // The selection conflicts recorded since the journal was last cleared.
  std::vector<SIM_CONFLICT> Conflicts() const {
    std::vector<SIM_CONFLICT> conflicts(conflict_count_());
    for (uint32_t i = 0; i < conflicts.size(); ++i) {
      if (!conflict_entry_(i, &conflicts[i])) conflicts.resize(i);
    }
    return conflicts;
  }
  bool SetSelectionMode(SIM_SELECTION_MODE mode) const { return set_selection_mode_(mode) != 0; }
  void Reset() const { reset_(); }

  static std::wstring BesideProgram() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"KELMARTK.DLL";
  }

 private:
  template <typename Function>
  void Resolve(Function* function, const char* name) {
    *function = module_ ? reinterpret_cast<Function>(
                              reinterpret_cast<void (*)()>(GetProcAddress(module_.get(), name)))
                        : nullptr;
  }

  UniqueModule module_;
  decltype(&::SimJournalCount) journal_count_ = nullptr;
  decltype(&::SimJournalEntry) journal_entry_ = nullptr;
  decltype(&::SimJournalClear) journal_clear_ = nullptr;
  decltype(&::SimSetDefaultDevice) set_default_device_ = nullptr;
  decltype(&::SimDeviceCount) device_count_ = nullptr;
  decltype(&::SimConflictCount) conflict_count_ = nullptr;
  decltype(&::SimConflictEntry) conflict_entry_ = nullptr;
  decltype(&::SimSetSelectionMode) set_selection_mode_ = nullptr;
  decltype(&::SimReset) reset_ = nullptr;
};

}  // namespace zorvik::sim
