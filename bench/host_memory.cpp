// Running zorvik_scan and sampling its memory counters while it runs: the
// peak counters are read again after it ends, but not every system keeps
// them for a process that has exited, so the samples are the fallback.
#include "host_memory.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_path.h"
#include "read_throughput.h"
#include "started_process.h"
#include "stopwatch.h"
#include "test_paths.h"

namespace zorvik::bench {
namespace {

using test::ProcessOptions;
using test::StartedProcess;

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

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// zorvik_scan scanning the A4 page to `image` with the extra `options`.
std::wstring PageScanCommand(const std::string& image, const std::wstring& options) {
  return L"\"" + test::ExecutableDir() +
         L"zorvik_scan.exe\" --mode=Color --depth=8 --resolution=600 --unit=mm "
         L"--left=0 --top=0 --width=210 --height=297 --output-file=\"" +
         Wide(image) + L"\"" + options;
}

// The seconds of the last "... bytes in <seconds> s" summary in `file`.
double SummarySeconds(const std::string& file) {
  FILE* text = std::fopen(file.c_str(), "rb");
  if (text == nullptr) return -1.0;
  std::string content(1 << 16, '\0');
  content.resize(std::fread(content.data(), 1, content.size(), text));
  std::fclose(text);
  const size_t at = content.rfind(" bytes in ");
  return at == std::string::npos ? -1.0 : std::atof(content.c_str() + at + 10);
}

}  // namespace

HostPace MeasureHostPace() {
  HostPace pace;
  const std::string device = test::TempFolder() + "zorvik-bench-usb2.txt";
  const std::string image = test::TempFolder() + "zorvik-bench-usb2.png";
  const std::string output = test::TempFolder() + "zorvik-bench-usb2.out";
  {
    FILE* file = std::fopen(device.c_str(), "wb");
    if (file == nullptr) return pace;
    std::fputs("# a 7310 on a USB 2.0 bus\nbus_rate = 40 MB/s\n", file);
    std::fclose(file);
  }
  const std::wstring device_path = Wide(device);
  if (std::unique_ptr<BenchPath> path = MakeScannerObjectPath(device_path.c_str())) {
    const PageRead page = ReadWholePage(*path);
    if (page.complete) pace.transfer_seconds = page.seconds;
  }
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  UniqueHandle output_file(CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (output_file.valid()) {
    StartedProcess scan(PageScanCommand(image, L" --progress --device=\"" + device_path + L"\""),
                        ProcessOptions{.output = output_file.get()});
    if (scan.started()) pace.exit_code = scan.Wait(static_cast<DWORD>(kTimeoutSeconds * 1000));
    output_file.reset();
    if (pace.exit_code == 0) pace.scan_seconds = SummarySeconds(output);
  }
  DeleteFileA(image.c_str());
  DeleteFileA(output.c_str());
  DeleteFileA(device.c_str());
  return pace;
}

HostMemory MeasureHostMemory() {
  HostMemory memory;
  const std::string image = test::TempFolder() + "zorvik-bench-page.png";
  DeleteFileA(image.c_str());
  std::wstring command = PageScanCommand(image, L"");
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
