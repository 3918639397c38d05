// The toolkit call journal, guarded by one critical section.
#include "journal.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace zorvik::sim {

namespace {

// Built when the library loads (see device_registry.cpp for why not a
// function-local static).
Journal g_journal;

}  // namespace

Journal& Journal::Instance() { return g_journal; }

void Journal::Append(ToolkitEntry entry, uint64_t device, std::initializer_list<uint64_t> arguments,
                     const void* data, size_t data_size, int32_t result) {
  Record record{entry, GetCurrentThreadId(), result, device, 0, {}, {}};
  for (uint64_t argument : arguments) {
    if (record.argument_count == kJournalArgumentCapacity) break;
    record.arguments[record.argument_count++] = argument;
  }
  if (data) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    record.data.assign(bytes, bytes + std::min(data_size, kJournalDataCapacity));
  }
  CriticalSectionGuard guard(lock_);
  if (records_.size() == kCapacity) records_.pop_front();
  records_.push_back(std::move(record));
}

uint32_t Journal::Count() {
  CriticalSectionGuard guard(lock_);
  return static_cast<uint32_t>(records_.size());
}

bool Journal::Entry(uint32_t index, SIM_JOURNAL_ENTRY* entry) {
  CriticalSectionGuard guard(lock_);
  if (!entry || index >= records_.size()) return false;
  const Record& record = records_[index];
  std::memset(entry, 0, sizeof(*entry));
  const char* name = ToolkitEntryName(record.entry);
  std::memcpy(entry->EntryPoint, name, std::min(std::strlen(name), sizeof(entry->EntryPoint) - 1));
  entry->ThreadId = record.thread_id;
  entry->Result = record.result;
  entry->Device = record.device;
  entry->ArgumentCount = record.argument_count;
  std::memcpy(entry->Arguments, record.arguments, sizeof(entry->Arguments));
  entry->DataSize = static_cast<uint32_t>(record.data.size());
  std::memcpy(entry->Data, record.data.data(), record.data.size());
  return true;
}

void Journal::Clear() {
  CriticalSectionGuard guard(lock_);
  records_.clear();
}

}  // namespace zorvik::sim
