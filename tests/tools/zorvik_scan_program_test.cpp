// zorvik_scan as a user runs it: what it prints and the exit status it ends
// with for help, bad options and the log status, which need no scanner.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "program_run.h"

namespace zorvik {
namespace {

using test::ProgramRun;
using test::RunZorvikScan;

TEST(ZorvikScanProgram, HelpSucceedsAndBadOptionsSayWhatIsWrong) {
  ProgramRun run = RunZorvikScan(L"--help");
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ(0u, run.output.find("Usage: zorvik_scan [OPTION]...")) << run.output;

  run = RunZorvikScan(L"--mode Colour");
  EXPECT_EQ(2u, run.exit_code);
  EXPECT_EQ(
      "zorvik_scan: invalid value 'Colour' for --mode: use Color, Gray or Lineart\n"
      "Try 'zorvik_scan --help' for more information.\n",
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
