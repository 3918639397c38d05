// The journal of every toolkit call: entry point, device, arguments, the
// records handed in and the result, kept in call order for tests to read;
// beside it, the selection conflicts the calls ran into. Calls from any
// number of threads may append at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <vector>

#include "critical_section.h"
#include "simulator_control.h"
#include "toolkit_entry_points.h"

namespace zorvik::sim {

class Journal {
 public:
  // The newest calls kept; older ones are dropped so that a long run of
  // small reads cannot exhaust memory.
  static constexpr size_t kCapacity = kJournalCapacity;
  // The newest conflicts kept: a host that races its selections at every call
  // would otherwise fill memory with them.
  static constexpr size_t kConflictCapacity = 1024;

  static Journal& Instance();

  void Append(ToolkitEntry entry, uint64_t device, std::initializer_list<uint64_t> arguments,
              const void* data, size_t data_size, int32_t result);
  uint32_t Count();
  bool Entry(uint32_t index, SIM_JOURNAL_ENTRY* entry);

  // Records that `entry`, made by the calling thread after it selected
  // `selected`, met a conflict of `kind` on `device`.
  void AppendConflict(ToolkitEntry entry, SIM_CONFLICT_KIND kind, uint64_t selected,
                      uint64_t device);
  uint32_t ConflictCount();
  bool Conflict(uint32_t index, SIM_CONFLICT* conflict);

  // Empties the journal and the conflicts.
  void Clear();

 private:
  struct Record {
    ToolkitEntry entry;
    uint32_t thread_id;
    int32_t result;
    uint64_t device;
    uint32_t argument_count;
    uint64_t arguments[kJournalArgumentCapacity];
    std::vector<uint8_t> data;
  };

  // The record `index` places after the oldest one kept.
  const Record& Kept(uint32_t index) const;

  CriticalSection lock_;
  // Filled up to kCapacity, then a ring: each new call overwrites the oldest
  // record in place, reusing its storage, so that a full journal (the usual
  // state in a long scan) takes no allocation per call. A deque rather than
  // one block: it grows in small pieces that the heap hands out again after
  // the library was unloaded and loaded, where one growing block would be
  // fresh memory at every load, and fresh pages cost a fault each.
  std::deque<Record> records_;
  size_t oldest_ = 0;
  std::deque<SIM_CONFLICT> conflicts_;
};

}  // namespace zorvik::sim
