// Device descriptions: the shipped 7310 file, what is reported when a
// setting is not understood, and the scripting forms.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "device_description.h"
#include "test_paths.h"

namespace zorvik::sim {
namespace {

std::string ReadShippedFile(const wchar_t* name) {
  const std::wstring path = test::BesideExecutable(name);
  std::ifstream file(std::string(path.begin(), path.end()), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(DeviceDescription, ShippedDeviceFileIsTheBuiltInDefault7310) {
  const std::string text = ReadShippedFile(L"7310.txt");
  ASSERT_FALSE(text.empty());
  const ParsedDescription parsed = ParseDeviceDescription(text);
  EXPECT_TRUE(parsed.problems.empty()) << parsed.problems.front();

  const DeviceDescription builtin;
  const TOOLKIT_ABILITY from_file = AbilityRecord(parsed.description);
  const TOOLKIT_ABILITY from_default = AbilityRecord(builtin);
  EXPECT_EQ(0, std::memcmp(&from_file, &from_default, sizeof(TOOLKIT_ABILITY)));
  EXPECT_EQ(builtin.button_count, parsed.description.button_count);
  EXPECT_EQ(builtin.lamp_on, parsed.description.lamp_on);
  EXPECT_FALSE(parsed.description.image.solid);

  // A letter-size 7310 at 1/300 inch, 1200 dpi optics.
  EXPECT_STREQ("Vistrel 7310", from_default.ModelName);
  EXPECT_EQ(2550, from_default.FlatbedMaxWidth);
  EXPECT_EQ(3510, from_default.FlatbedMaxLength);
  EXPECT_EQ(1200, from_default.OpticalRes);
  EXPECT_NE(0, from_default.ColorPixelBound);
}

struct BadLine {
  const char* line;
  const char* problem;
};

TEST(DeviceDescription, ReportsEverySettingItDoesNotUnderstandAndLeavesItOut) {
  const BadLine cases[] = {
      {"colour = red", "line 1: unknown setting 'colour'"},
      {"just words", "line 1: expected 'setting = value'"},
      {"flatbed_width = 70000", "line 1: flatbed_width: expected a number from 0 to 65535"},
      {"flatbed_width = 12x", "line 1: flatbed_width: expected a number from 0 to 65535"},
      {"model = A model name much too long", "line 1: model: longer than 19 characters"},
      {"lamp = dim", "line 1: lamp: expected 'on' or 'off'"},
      {"image = photo", "line 1: image: expected 'chart' or 'solid <value>'"},
      {"fail = LampOn", "line 1: fail: missing 'status <value>'"},
      {"fail = Lampon status 3", "line 1: fail: unknown entry point 'Lampon'"},
      {"fail = LampOn status 3 from 0", "line 1: fail: calls are counted from 1"},
      {"fail = LampOn status 3 after 10", "line 1: fail: 'after' applies to ReadScan only"},
      {"fail = ReadScan status 3 after 10 times 2",
       "line 1: fail: 'after' cannot be combined with 'from' or 'times'"},
      {"fail = ReadScan status 3 status_byte 1",
       "line 1: fail: 'status_byte' needs 'after <bytes>'"},
      {"fail = LampOn status 3 from", "line 1: fail: 'from' needs a value"},
      {"press = 2", "line 1: press: expected '<button> after <polls>'"},
      {"result = LampOn 0",
       "line 1: result: expected a non-zero 32-bit value (a failure is scripted with 'fail')"},
      {"delay = ClearIOHandle 10001", "line 1: delay: expected a delay of 0 to 10000 ms"},
      {"delay = ClearIOHandle", "line 1: delay: expected '<EntryPoint> <milliseconds>'"},
      {"bus_rate = 40", "line 1: bus_rate: expected '<1 to 10000> MB/s'"},
      {"bus_rate = 0 MB/s", "line 1: bus_rate: expected '<1 to 10000> MB/s'"},
  };
  for (const BadLine& bad : cases) {
    SCOPED_TRACE(bad.line);
    const ParsedDescription parsed = ParseDeviceDescription(bad.line);
    ASSERT_EQ(1u, parsed.problems.size());
    EXPECT_EQ(bad.problem, parsed.problems[0]);
    EXPECT_EQ(2550, parsed.description.flatbed_width);
    EXPECT_TRUE(parsed.description.faults.empty());
    EXPECT_TRUE(parsed.description.presses.empty());
  }
}

TEST(DeviceDescription, CountsLinesAcrossCommentsBlankLinesAndCrLf) {
  const ParsedDescription parsed = ParseDeviceDescription(
      "\xEF\xBB\xBF# comment\r\n\r\nmodel = Vistrel 6610X  # trailing comment\r\nshade = 3\r\n");
  ASSERT_EQ(1u, parsed.problems.size());
  EXPECT_EQ("line 4: unknown setting 'shade'", parsed.problems[0]);
  EXPECT_EQ("Vistrel 6610X", parsed.description.model);
}

TEST(DeviceDescription, ReadsScriptedFaultsPressesAndResults) {
  const ParsedDescription parsed = ParseDeviceDescription(
      "fail = LampOn status 178 times 2\n"
      "fail = StopScan status 0x9c from 3\n"
      "fail = ReadScan status 157 after 4096\n"
      "fail = ReadScan status 9 after 100 status_byte 1\n"
      "press = 2 after 3\n"
      "result = InitializeScanner 2\n"
      "result = StopScan -1\n"
      "delay = ClearIOHandle 20\n"
      "bus_rate = 40 MB/s\n"
      "image = solid 0x8000\n"
      "lamp = off\n");
  ASSERT_TRUE(parsed.problems.empty()) << parsed.problems.front();
  const DeviceDescription& d = parsed.description;
  ASSERT_EQ(4u, d.faults.size());
  EXPECT_EQ(ToolkitEntry::LampOn, d.faults[0].entry);
  EXPECT_EQ(178, d.faults[0].status);
  EXPECT_EQ(1u, d.faults[0].from);
  EXPECT_EQ(2u, d.faults[0].times);
  EXPECT_EQ(156, d.faults[1].status);
  EXPECT_EQ(3u, d.faults[1].from);
  EXPECT_EQ(0u, d.faults[1].times);
  EXPECT_TRUE(d.faults[2].has_after_bytes);
  EXPECT_EQ(4096u, d.faults[2].after_bytes);
  EXPECT_FALSE(d.faults[2].leaves_status_byte);
  EXPECT_TRUE(d.faults[3].leaves_status_byte);
  EXPECT_EQ(1, d.faults[3].status_byte);
  ASSERT_EQ(1u, d.presses.size());
  EXPECT_EQ(2, d.presses[0].button);
  EXPECT_EQ(3u, d.presses[0].after_polls);
  EXPECT_EQ(2, d.results[static_cast<size_t>(ToolkitEntry::InitializeScanner)]);
  EXPECT_EQ(-1, d.results[static_cast<size_t>(ToolkitEntry::StopScan)]);
  EXPECT_EQ(20u, d.delays_ms[static_cast<size_t>(ToolkitEntry::ClearIOHandle)]);
  EXPECT_EQ(40u, d.bus_rate_mb_per_s);
  EXPECT_TRUE(d.image.solid);
  EXPECT_EQ(0x8000, d.image.value);
  EXPECT_FALSE(d.lamp_on);
}

}  // namespace
}  // namespace zorvik::sim
