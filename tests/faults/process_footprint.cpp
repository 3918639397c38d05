// Measures the process's footprint.
#include "process_footprint.h"

#include <psapi.h>

#include <algorithm>
#include <vector>

#include "session_table.h"
#include "../scanner/session_test_support.h"

namespace zorvik::test {

namespace {

// The system handle table as NtQuerySystemInformation reports it
// (SystemExtendedHandleInformation); declared here, as mingw has no header
// for it.
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct SystemHandleEntry {
  PVOID object;
  ULONG_PTR process_id;
  ULONG_PTR handle_value;
  ULONG granted_access;
  USHORT creator_back_trace_index;
  USHORT object_type_index;
  ULONG handle_attributes;
  ULONG reserved;
};

struct SystemHandleTable {
  ULONG_PTR count;
  ULONG_PTR reserved;
  SystemHandleEntry entries[1];
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

DWORD CountFromSystemHandleTable() {
  const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return 0;
  std::vector<unsigned char> buffer(1 << 20);
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(kSystemExtendedHandleInformation, buffer.data(),
                              static_cast<ULONG>(buffer.size()), &needed);
    if (status == kStatusInfoLengthMismatch) {
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
      continue;
    }
    if (status != 0) return 0;
    const auto* table = reinterpret_cast<const SystemHandleTable*>(buffer.data());
    const ULONG_PTR self = GetCurrentProcessId();
    DWORD count = 0;
    for (ULONG_PTR i = 0; i < table->count; ++i) {
      if (table->entries[i].process_id == self) ++count;
    }
    return count;
  }
  return 0;
}

bool PlatformCountsHandles() {
  DWORD count = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0;
}

void AddCommittedMemory(ProcessFootprint& footprint) {
  MEMORY_BASIC_INFORMATION region{};
  const unsigned char* address = nullptr;
  while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT) {
      if (region.Type == MEM_PRIVATE) footprint.committed_private += region.RegionSize;
      if (region.Type == MEM_IMAGE) footprint.committed_image += region.RegionSize;
    }
    const unsigned char* next =
        static_cast<const unsigned char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
}

}  // namespace

DWORD ProcessHandleCount() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
  return CountFromSystemHandleTable();
}

const char* HandleCountSource() {
  return PlatformCountsHandles() ? "GetProcessHandleCount" : "the system handle table";
}

ProcessFootprint ProcessFootprint::Take() {
  ProcessFootprint footprint;
  footprint.handles = ProcessHandleCount();
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof memory)) {
    footprint.private_bytes = memory.PrivateUsage;
    footprint.working_set = memory.WorkingSetSize;
  }
  AddCommittedMemory(footprint);
  // TlsAlloc hands out the lowest free index: a slot leaked since the last
  // look shows as a higher one.
  footprint.first_free_tls = TlsAlloc();
  if (footprint.first_free_tls != TLS_OUT_OF_INDEXES) TlsFree(footprint.first_free_tls);
  footprint.toolkit_loaded = ToolkitLoaded();
  footprint.open_sessions = CSessionTable::Instance().SessionCount();
  return footprint;
}

std::string Change(uint64_t before, uint64_t after) {
  return std::to_string(before) + " -> " + std::to_string(after);
}

}  // namespace zorvik::test
