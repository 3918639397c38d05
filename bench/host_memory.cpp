// Running zorvik_scan and sampling its memory counters while it runs: the
// peak counters are read again after it ends, but not every system keeps
// them for a process that has exited, so the samples are the fallback.
#include "host_memory.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <string>

#include "bench_child.h"
#include "stopwatch.h"

namespace zorvik::bench {
namespace {

constexpr DWORD kSampleMs = 20;
constexpr double kTimeoutSeconds = 300.0;

void Sample(HANDLE process, HostMemory& memory) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(process, &counters, sizeof(counters))) return;
  memory.peak_working_set = std::max<uint64_t>(
      memory.peak_working_set, std::max(counters.PeakWorkingSetSize, counters.WorkingSetSize));
  memory.peak_pagefile = std::max<uint64_t>(
      memory.peak_pagefile, std::max(counters.PeakPagefileUsage, counters.PagefileUsage));
}

}  // namespace

HostMemory MeasureHostMemory() {
  HostMemory memory;
  const std::string image = TempFilePath("zorvik-bench-page.png");
  DeleteFileA(image.c_str());
  std::wstring command = L"\"" + ProgramFolder() +
                         L"zorvik_scan.exe\" --mode=Color --depth=8 --resolution=600 --unit=mm "
                         L"--left=0 --top=0 --width=210 --height=297 --output-file=\"" +
                         std::wstring(image.begin(), image.end()) + L"\"";
  const double start = NowSeconds();
  StartedProcess scan(std::move(command));
  if (!scan.started()) return memory;
  while (WaitForSingleObject(scan.handle(), kSampleMs) == WAIT_TIMEOUT) {
    Sample(scan.handle(), memory);
    if (NowSeconds() - start > kTimeoutSeconds) break;
  }
  memory.exit_code = scan.Wait(0);
  memory.seconds = NowSeconds() - start;
  Sample(scan.handle(), memory);
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  if (GetFileAttributesExA(image.c_str(), GetFileExInfoStandard, &attributes))
    memory.image_file_bytes = (uint64_t{attributes.nFileSizeHigh} << 32) | attributes.nFileSizeLow;
  DeleteFileA(image.c_str());
  return memory;
}

}  // namespace zorvik::bench
