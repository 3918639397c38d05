// Starting zorvik_scan.exe with its output in a temporary file.
#include "program_run.h"

#include "test_paths.h"
#include "unique_resource.h"

namespace zorvik::test {

ProgramRun RunZorvikScan(const std::wstring& arguments) {
  ProgramRun run;
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  const std::wstring output_path =
      std::wstring(folder) + L"zorvik_scan_output_" + std::to_wstring(GetCurrentProcessId());
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  UniqueHandle output(CreateFileW(output_path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!output) return run;

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output.get();
  startup.hStdError = output.get();
  std::wstring command = L"\"" + BesideExecutable(L"zorvik_scan.exe") + L"\" " + arguments;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return run;
  }
  UniqueHandle process_handle(process.hProcess);
  UniqueHandle thread_handle(process.hThread);
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    return run;
  }
  GetExitCodeProcess(process.hProcess, &run.exit_code);

  SetFilePointer(output.get(), 0, nullptr, FILE_BEGIN);
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(output.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    run.output.append(buffer, got);
  }
  return run;
}

}  // namespace zorvik::test
