// zorvik_scan as a user runs it: what it prints and the exit status it ends
// with for help, bad options and the log status, which need no scanner.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "test_paths.h"
#include "unique_resource.h"

namespace zorvik {
namespace {

struct ProgramRun {
  DWORD exit_code = 0xFFFFFFFF;
  std::string output;  // standard output and standard error together
};

// Runs zorvik_scan.exe (beside the test) with `arguments`, waiting at most
// 30 seconds.
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
  std::wstring command = L"\"" + test::BesideExecutable(L"zorvik_scan.exe") + L"\" " + arguments;
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

TEST(ZorvikScanProgram, HelpSucceedsAndBadOptionsSayWhatIsWrong) {
  ProgramRun run = RunZorvikScan(L"--help");
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ(0u, run.output.find("Usage: zorvik_scan [OPTION]...")) << run.output;

  run = RunZorvikScan(L"--mode Colour");
  EXPECT_EQ(2u, run.exit_code);
  EXPECT_EQ(
      "zorvik_scan: invalid value 'Colour' for --mode: use Color, Gray or Lineart\r\n"
      "Try 'zorvik_scan --help' for more information.\r\n",
      run.output);

  run = RunZorvikScan(L"--depth 16 -o page.bmp");
  EXPECT_EQ(2u, run.exit_code);
  EXPECT_NE(std::string::npos, run.output.find("BMP holds at most 8 bits")) << run.output;
}

TEST(ZorvikScanProgram, LogStatusNeedsNoScanner) {
  const ProgramRun run = RunZorvikScan(L"--log status");
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ(0u, run.output.find("The component's log is ")) << run.output;
  EXPECT_NE(std::string::npos, run.output.find("Log file: ")) << run.output;
}

}  // namespace
}  // namespace zorvik
