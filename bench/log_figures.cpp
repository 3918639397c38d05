// Children that make logged calls or bare appends, and the figures they give.
#include "log_figures.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "bench_child.h"
#include "bench_path.h"
#include "stopwatch.h"
#include "test_paths.h"
#include "test_text.h"
#include "unique_resource.h"

namespace zorvik::bench {
namespace {

constexpr int kLampRuns = 3;
constexpr int kLoggedLampCalls = 1000;
constexpr int kTracedCalls = 500;
constexpr int kAppends = 1000;
constexpr DWORD kChildTimeoutMs = 180000;
constexpr char kTracedLabel[] = "zorvik::GetLampStatus";

TracedText g_last_traced_text;

using test::Widen;

std::unique_ptr<BenchPath> MakeLoggedPath(LoggedPath path) {
  switch (path) {
    case LoggedPath::kScannerObject:
      return MakeScannerObjectPath();
    case LoggedPath::kComInApartment:
      return MakeComPath();
    default:
      return MakeCrossApartmentPath();
  }
}

// A role runs in a single-threaded apartment of its own for the COM paths.
struct Apartment {
  Apartment() : entered(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~Apartment() {
    if (entered) CoUninitialize();
  }
  const bool entered;
};

double MicrosecondsPerLampCall(BenchPath& path, int runs, int calls) {
  const double seconds = SecondsPerCall(runs, calls, [&] { return path.LampStatus(); });
  return seconds < 0 ? -1.0 : seconds * 1e6;
}

// One append the way the log writer makes it, without anything around it:
// optionally wait for the file's semaphore, open for appending, write, close,
// release.
bool BareAppend(HANDLE semaphore, const std::string& file_path, const std::string& text) {
  if (semaphore != nullptr && WaitForSingleObject(semaphore, INFINITE) != WAIT_OBJECT_0)
    return false;
  bool written = false;
  {
    UniqueHandle file(CreateFileA(file_path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD done = 0;
    written = file &&
              WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
              done == text.size();
  }
  if (semaphore != nullptr) ReleaseSemaphore(semaphore, 1, nullptr);
  return written;
}

// The semaphore name the log writer derives from a path.
std::string SemaphoreNameOf(const std::string& file_path) {
  std::string name;
  for (char c : file_path)
    if (c != '\\' && c != ':') name += c;
  return name;
}

const bool kLoggedLampRole = RegisterBenchRole(
    "logged-lamp", [](const std::vector<std::string>& args, const std::function<void()>& start) {
      Apartment apartment;
      std::unique_ptr<BenchPath> path =
          args.empty() || !apartment.entered
              ? nullptr
              : MakeLoggedPath(static_cast<LoggedPath>(std::stoi(args[0])));
      start();
      return path ? MicrosecondsPerLampCall(*path, kLampRuns, kLoggedLampCalls) : -1.0;
    });

// args: the device file to open a session on.
const bool kTracedCallsRole = RegisterBenchRole(
    "traced-calls", [](const std::vector<std::string>& args, const std::function<void()>& start) {
      const std::wstring device = args.empty() ? L"" : Widen(args[0]);
      std::unique_ptr<BenchPath> path =
          args.empty() ? nullptr : MakeScannerObjectPath(device.c_str());
      start();
      return path ? MicrosecondsPerLampCall(*path, 1, kTracedCalls) : -1.0;
    });

// args: "locked" or "plain", the file, the length of one text.
const bool kAppendsRole = RegisterBenchRole(
    "bare-appends", [](const std::vector<std::string>& args, const std::function<void()>& start) {
      if (args.size() < 3) return -1.0;
      const std::string& file_path = args[1];
      UniqueHandle semaphore;
      if (args[0] == "locked")
        semaphore.reset(CreateSemaphoreA(nullptr, 1, 1, SemaphoreNameOf(file_path).c_str()));
      std::string text(std::max(2, std::stoi(args[2])) - 2, 'x');
      text += "\r\n";
      start();
      const double seconds =
          SecondsPerCall(1, kAppends, [&] { return BareAppend(semaphore.get(), file_path, text); });
      return seconds < 0 ? -1.0 : seconds * 1e6;
    });

TracedText ReadTracedText(const std::string& log_file, int calls) {
  TracedText result;
  std::ifstream file(log_file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  size_t lines = 0;
  for (size_t at = text.find(kTracedLabel); at != std::string::npos;
       at = text.find(kTracedLabel, at + 1))
    ++lines;
  result.lines_per_call = static_cast<double>(lines) / calls;
  result.bytes_per_text = static_cast<double>(text.size()) / (calls * kTextsPerTracedCall);
  return result;
}

std::vector<double> RunGroup(const char* role, int processes,
                             const std::function<std::vector<std::string>(int)>& args_of) {
  return RunChildrenTogether(role, processes, args_of, kChildTimeoutMs);
}

}  // namespace

test::LogSettingsValues LoggingToFile(const std::string& log_file) {
  return {.enabled = 1, .destination = LOG_DEST_FILE, .file = log_file};
}

double LoggedLampMicroseconds(LoggedPath path) {
  const std::vector<double> figures = RunGroup("logged-lamp", 1, [path](int) {
    return std::vector<std::string>{std::to_string(static_cast<int>(path))};
  });
  return figures[0];
}

LogFigures MeasureLog(const std::string& log_file, int processes) {
  LogFigures figures;
  figures.processes = processes;

  std::vector<std::string> devices;
  for (int i = 0; i < processes; ++i) {
    devices.push_back(test::TempFolder() + "zorvik-bench-device-" + std::to_string(i) + ".dev");
    // An empty device file describes the default scanner.
    UniqueHandle(CreateFileA(devices.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  // The rounds alternate the same calls with logging off and on and each
  // kind of bare append, so that the ratio of each round compares figures
  // taken moments apart. The calls with logging off are the part of a traced
  // call that is not logging (on a device file the simulated toolkit checks
  // the file behind the handle on every selection).
  std::vector<double> untraced, traced, locked, reopened, plain, ratios;
  for (int round = 0; round < kLogRounds; ++round) {
    const auto calls_on_devices = [&](int i) { return std::vector<std::string>{devices[i]}; };
    untraced.push_back(MedianOrFailed(RunGroup("traced-calls", processes, calls_on_devices)));
    DeleteFileA(log_file.c_str());
    {
      const test::ScopedLogSettings logging_on(LoggingToFile(log_file));
      traced.push_back(logging_on.written()
                           ? MedianOrFailed(RunGroup("traced-calls", processes, calls_on_devices))
                           : -1.0);
    }
    // Opening and closing the session add a few texts; they are negligible
    // beside the timed calls but are counted in the mean text length.
    if (processes == 1 && round == 0) g_last_traced_text = ReadTracedText(log_file, kTracedCalls);
    const int text_bytes = g_last_traced_text.bytes_per_text > 0
                               ? static_cast<int>(g_last_traced_text.bytes_per_text)
                               : 100;
    const struct {
      const char* mode;
      std::vector<double>* figures;
    } appends[] = {{"locked", &locked}, {"reopened", &reopened}, {"plain", &plain}};
    for (const auto& append : appends) {
      DeleteFileA(log_file.c_str());
      append.figures->push_back(MedianOrFailed(RunGroup("bare-appends", processes, [&](int) {
        return std::vector<std::string>{append.mode, log_file, std::to_string(text_bytes)};
      })));
    }
    const bool measured = traced.back() >= 0 && untraced.back() >= 0 && locked.back() > 0;
    ratios.push_back(measured
                         ? (traced.back() - untraced.back()) / (kTextsPerTracedCall * locked.back())
                         : -1.0);
  }
  for (const std::string& device : devices) DeleteFileA(device.c_str());
  DeleteFileA(log_file.c_str());
  figures.untraced_call = MedianOrFailed(untraced);
  figures.traced_call = MedianOrFailed(traced);
  figures.locked_append = MedianOrFailed(locked);
  figures.reopened_append = MedianOrFailed(reopened);
  figures.plain_append = MedianOrFailed(plain);
  figures.ratio = MedianOrFailed(ratios);
  const double local_time = SecondsPerCall(kLogRounds, kTracedCalls, [] {
    const std::time_t seconds = std::time(nullptr);
    std::tm now{};
    return localtime_s(&now, &seconds) == 0;
  });
  figures.local_time_us = local_time < 0 ? -1.0 : local_time * 1e6;
  return figures;
}

TracedText LastTracedText() { return g_last_traced_text; }

}  // namespace zorvik::bench
