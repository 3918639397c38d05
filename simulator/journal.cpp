// The toolkit call journal and the selection conflicts, guarded by one
// critical section.
#include "journal.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace zorvik::sim {

namespace {

// Built when the library loads (see device_registry.cpp for why not a
// function-local static).
Journal g_journal;

// The entry point's name, cut to fit `field` and NUL-terminated.
template <size_t N>
void CopyEntryName(ToolkitEntry entry, char (&field)[N]) {
  const char* name = ToolkitEntryName(entry);
  std::memcpy(field, name, std::min(std::strlen(name), N - 1));
}

}  // namespace

Journal& Journal::Instance() { return g_journal; }

void Journal::Append(ToolkitEntry entry, uint64_t device, std::initializer_list<uint64_t> arguments,
                     const void* data, size_t data_size, int32_t result) {
  const DWORD thread_id = GetCurrentThreadId();
  CriticalSectionGuard guard(lock_);
  Record* record;
  if (records_.size() < kCapacity) {
    record = &records_.emplace_back();
  } else {
    record = &records_[oldest_];
    oldest_ = (oldest_ + 1) % kCapacity;
  }
  record->entry = entry;
  record->thread_id = thread_id;
  record->result = result;
  record->device = device;
  record->argument_count = 0;
  for (uint64_t argument : arguments) {
    if (record->argument_count == kJournalArgumentCapacity) break;
    record->arguments[record->argument_count++] = argument;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  record->data.assign(bytes, bytes + (data ? std::min(data_size, kJournalDataCapacity) : 0));
}

const Journal::Record& Journal::Kept(uint32_t index) const {
  return records_[(oldest_ + index) % records_.size()];
}

uint32_t Journal::Count() {
  CriticalSectionGuard guard(lock_);
  return static_cast<uint32_t>(records_.size());
}

bool Journal::Entry(uint32_t index, SIM_JOURNAL_ENTRY* entry) {
  CriticalSectionGuard guard(lock_);
  if (!entry || index >= records_.size()) return false;
  const Record& record = Kept(index);
  std::memset(entry, 0, sizeof(*entry));
  CopyEntryName(record.entry, entry->EntryPoint);
  entry->ThreadId = record.thread_id;
  entry->Result = record.result;
  entry->Device = record.device;
  entry->ArgumentCount = record.argument_count;
  std::memcpy(entry->Arguments, record.arguments, sizeof(entry->Arguments));
  entry->DataSize = static_cast<uint32_t>(record.data.size());
  std::memcpy(entry->Data, record.data.data(), record.data.size());
  return true;
}

void Journal::AppendConflict(ToolkitEntry entry, SIM_CONFLICT_KIND kind, uint64_t selected,
                             uint64_t device) {
  SIM_CONFLICT conflict{};
  CopyEntryName(entry, conflict.EntryPoint);
  conflict.ThreadId = GetCurrentThreadId();
  conflict.Kind = kind;
  conflict.Selected = selected;
  conflict.Device = device;
  CriticalSectionGuard guard(lock_);
  if (conflicts_.size() == kConflictCapacity) conflicts_.pop_front();
  conflicts_.push_back(conflict);
}

uint32_t Journal::ConflictCount() {
  CriticalSectionGuard guard(lock_);
  return static_cast<uint32_t>(conflicts_.size());
}

bool Journal::Conflict(uint32_t index, SIM_CONFLICT* conflict) {
  CriticalSectionGuard guard(lock_);
  if (!conflict || index >= conflicts_.size()) return false;
  *conflict = conflicts_[index];
  return true;
}

void Journal::Clear() {
  CriticalSectionGuard guard(lock_);
  records_.clear();
  oldest_ = 0;
  conflicts_.clear();
}

}  // namespace zorvik::sim
