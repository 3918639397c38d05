// Starting zorvik_scan.exe with its output in temporary files.
#include "program_run.h"

#include "test_paths.h"

namespace zorvik::test {
namespace {

// An inheritable temporary file that goes away when its last handle closes.
UniqueHandle TemporaryOutput(const wchar_t* stream) {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  static LONG counter = 0;
  const std::wstring path = std::wstring(folder) + L"zorvik_scan_" + stream + L"_" +
                            std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(InterlockedIncrement(&counter));
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  return UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  &inheritable, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

// What the program printed, its text-mode line ends ("\r\n") read as "\n";
// a lone "\r" (a progress line redrawn) stays.
std::string ReadAll(HANDLE file) {
  std::string text;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines.push_back(text[i]);
  }
  return lines;
}

}  // namespace

ZorvikScanProcess::ZorvikScanProcess(const std::wstring& arguments)
    : output_(TemporaryOutput(L"output")), errors_(TemporaryOutput(L"errors")) {
  if (!output_ || !errors_) return;
  process_ = std::make_unique<StartedProcess>(
      L"\"" + BesideExecutable(L"zorvik_scan.exe") + L"\" " + arguments,
      ProcessOptions{.output = output_.get(), .errors = errors_.get()});
}

ZorvikScanProcess::~ZorvikScanProcess() = default;

ProgramRun ZorvikScanProcess::Wait(DWORD timeout_ms) {
  ProgramRun run;
  if (!started()) return run;
  run.exit_code = static_cast<DWORD>(process_->Wait(timeout_ms));
  run.errors = ReadAll(errors_.get());
  run.output = ReadAll(output_.get()) + run.errors;
  return run;
}

ProgramRun RunZorvikScan(const std::wstring& arguments) {
  ZorvikScanProcess program(arguments);
  return program.Wait();
}

}  // namespace zorvik::test
