// Runs zorvik_scan.exe (beside the test) as a user would and collects what
// it printed and its exit status.
#pragma once

#include <windows.h>

#include <string>

namespace zorvik::test {

struct ProgramRun {
  DWORD exit_code = 0xFFFFFFFF;
  std::string output;  // standard output and standard error together
};

// Runs zorvik_scan.exe with `arguments`, waiting at most 30 seconds; a
// program that does not end in time is terminated and reads as exit code
// 0xFFFFFFFF.
ProgramRun RunZorvikScan(const std::wstring& arguments);

}  // namespace zorvik::test
