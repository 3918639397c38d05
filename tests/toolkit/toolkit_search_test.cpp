// Where the binding finds KELMARTK.DLL, tested from copies of this program in
// other folders: a toolkit beside the component is used even when it lacks an
// entry point, and one planted in the current directory or on PATH is not.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "child_process.h"
#include "relocated_child.h"
#include "simulator_control.h"
#include "test_paths.h"
#include "thin_calls.h"
#include "toolkit_interface.h"

namespace zorvik {
namespace {

// A child reports the line of its first failed check as its exit code.
#define CHILD_CHECK(condition)                                                           \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      return __LINE__;                                                                   \
    }                                                                                    \
  } while (0)

bool ToolkitLoaded() { return GetModuleHandleW(L"KELMARTK.DLL") != nullptr; }

std::wstring VariantFolder() {
  return test::ExecutableDir() + L"toolkit_variants\\without_check_push_button\\";
}

// Runs beside a toolkit that lacks CheckPushButton.
ZORVIK_CHILD_ROLE(binding_without_check_push_button) {
  {
    // Holding the library keeps its journal readable after the binding ends.
    sim::SimulatorControl simulator(test::ExecutableDir() + L"KELMARTK.DLL");
    CHILD_CHECK(simulator.loaded());
    simulator.Reset();
    {
      CToolkitInterface toolkit(kToolkitUsbIoType);
      CHILD_CHECK(toolkit.IsValid() == 0);
      CHILD_CHECK(toolkit.MissingEntryPoint() != nullptr);
      CHILD_CHECK(std::strcmp(toolkit.MissingEntryPoint(), "CheckPushButton") == 0);
      test::CallAreas areas;
      for (const test::ThinCall& call : test::EveryThinCall(areas, nullptr)) {
        CHILD_CHECK(call.call(toolkit) == 0);
      }
      CHILD_CHECK(areas.Untouched());
    }
    // No thin call reached the library; the end still terminated the driver.
    CHILD_CHECK(simulator.JournalNames() == std::vector<std::string>{"TerminateDriver"});
  }
  CHILD_CHECK(!ToolkitLoaded());
  { CToolkitInterface toolkit(kToolkitUsbIoType); }
  CHILD_CHECK(!ToolkitLoaded());
  return 0;
}

// Runs from a folder without a toolkit, with one planted in the current
// directory and on PATH.
ZORVIK_CHILD_ROLE(binding_with_planted_toolkit) {
  // The plant is where a bare-name load would find it...
  HMODULE planted = LoadLibraryW(L"KELMARTK.DLL");
  CHILD_CHECK(planted != nullptr);
  FreeLibrary(planted);
  CHILD_CHECK(!ToolkitLoaded());
  // ...but the binding does not look there.
  CToolkitInterface toolkit(kToolkitUsbIoType);
  CHILD_CHECK(toolkit.IsValid() == 0);
  CHILD_CHECK(toolkit.MissingEntryPoint() == nullptr);
  CHILD_CHECK(!ToolkitLoaded());
  return 0;
}

TEST(ToolkitSearch, ToolkitLackingOneNeverCalledEntryPointIsInvalidAndStillEnded) {
  ASSERT_NE(INVALID_FILE_ATTRIBUTES,
            GetFileAttributesW((VariantFolder() + L"KELMARTK.DLL").c_str()));
  EXPECT_EQ(0, test::RunRelocatedChild(VariantFolder(), "binding_without_check_push_button",
                                       test::ExecutableDir()));
}

TEST(ToolkitSearch, ToolkitPlantedInCurrentDirectoryOrPathIsNotLoaded) {
  const std::wstring planted = test::ExecutableDir() + L"toolkit_planted\\";
  const std::wstring isolated = test::ExecutableDir() + L"toolkit_isolated\\";
  CreateDirectoryW(planted.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(test::BesideExecutable(L"KELMARTK.DLL").c_str(),
                        (planted + L"KELMARTK.DLL").c_str(), FALSE));

  EXPECT_EQ(0, test::RunRelocatedChild(isolated, "binding_with_planted_toolkit", planted, planted));

  DeleteFileW((planted + L"KELMARTK.DLL").c_str());
  RemoveDirectoryW(planted.c_str());
  RemoveDirectoryW(isolated.c_str());
}

}  // namespace
}  // namespace zorvik
