// The toolkit binding in this process, with the simulated toolkit beside the
// test program: when it loads, what every thin call hands to the toolkit,
// and that its end terminates the driver and unloads the library.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <map>
#include <string>

#include "device_files.h"
#include "simulator_control.h"
#include "test_paths.h"
#include "thin_calls.h"
#include "toolkit_interface.h"

namespace zorvik {
namespace {

using sim::SimulatorControl;

bool ToolkitLoaded() { return GetModuleHandleW(L"KELMARTK.DLL") != nullptr; }

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring LoadedToolkitPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(GetModuleHandleW(L"KELMARTK.DLL"), path, MAX_PATH);
  return std::wstring(path, length);
}

class NotUsbIoType : public testing::TestWithParam<uint16_t> {};

TEST_P(NotUsbIoType, LoadsNothingAndEveryCallAnswersZero) {
  ASSERT_FALSE(ToolkitLoaded());
  CToolkitInterface toolkit(GetParam());
  EXPECT_EQ(0, toolkit.IsValid());
  EXPECT_EQ(nullptr, toolkit.MissingEntryPoint());
  EXPECT_FALSE(ToolkitLoaded());

  test::CallAreas areas;
  for (const test::ThinCall& call : test::EveryThinCall(areas, nullptr)) {
    EXPECT_EQ(0, call.call(toolkit)) << call.entry_point;
  }
  EXPECT_TRUE(areas.Untouched());
  EXPECT_FALSE(ToolkitLoaded());
}

INSTANTIATE_TEST_SUITE_P(IoTypes, NotUsbIoType, testing::Values(0, 2, 0x101));

TEST(ToolkitBinding, LoadsTheToolkitBesideTheComponentAndUnloadsItAtTheEnd) {
  ASSERT_FALSE(ToolkitLoaded());
  {
    CToolkitInterface toolkit(kToolkitUsbIoType);
    EXPECT_EQ(1, toolkit.IsValid());
    EXPECT_EQ(nullptr, toolkit.MissingEntryPoint());
    ASSERT_TRUE(ToolkitLoaded());
    EXPECT_EQ(Lower(test::BesideExecutable(L"KELMARTK.DLL")), Lower(LoadedToolkitPath()));
  }
  EXPECT_FALSE(ToolkitLoaded());
}

TEST(ToolkitBinding, EndsTheDriverWhenDeleted) {
  SimulatorControl simulator;
  ASSERT_TRUE(simulator.loaded());
  simulator.Reset();
  { CToolkitInterface toolkit(kToolkitUsbIoType); }
  EXPECT_EQ(std::vector<std::string>{"TerminateDriver"}, simulator.JournalNames());
}

// Each thin call must reach its own entry point with its arguments in order
// and hand back the entry point's result unchanged, 0, 1 or another value.
TEST(ToolkitBinding, EveryThinCallReachesItsEntryPointUnchanged) {
  SimulatorControl simulator;
  ASSERT_TRUE(simulator.loaded());
  simulator.Reset();
  test::OpenedDeviceFile device("result = LampOn 7\nresult = StopScan -3\n");
  ASSERT_NE(nullptr, device.handle());

  CToolkitInterface toolkit(kToolkitUsbIoType);
  ASSERT_EQ(1, toolkit.IsValid());
  test::CallAreas areas;
  areas.parameter = TOOLKIT_SCAN_PARAMETER{};
  areas.parameter.PixelNum = 4;
  areas.parameter.LineNum = 1;
  areas.parameter.ScanMode = 2;
  areas.parameter.BitsPerPixel = 8;
  areas.parameter.XRes = areas.parameter.YRes = 300;
  const std::vector<test::ThinCall> calls = test::EveryThinCall(areas, device.handle());
  std::map<std::string, int32_t> results;
  for (const test::ThinCall& call : calls) results[call.entry_point] = call.call(toolkit);

  const std::vector<sim::SIM_JOURNAL_ENTRY> journal = simulator.Journal();
  ASSERT_EQ(calls.size(), journal.size());
  for (size_t i = 0; i < calls.size(); ++i) {
    SCOPED_TRACE(calls[i].entry_point);
    EXPECT_STREQ(calls[i].entry_point, journal[i].EntryPoint);
    EXPECT_EQ(calls[i].arguments,
              std::vector<uint64_t>(journal[i].Arguments,
                                    journal[i].Arguments + journal[i].ArgumentCount));
    EXPECT_EQ(journal[i].Result, results[calls[i].entry_point]);
  }
  EXPECT_EQ(7, results["LampOn"]);
  EXPECT_EQ(-3, results["StopScan"]);
  EXPECT_EQ(0, results["ReadScan"]);  // 17 bytes is more than the 4-byte image
}

}  // namespace
}  // namespace zorvik
