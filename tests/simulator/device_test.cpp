// The simulated flatbed's behaviour: scripted faults and the status that
// explains them, calls out of order or with records it cannot scan, several
// devices at once, button presses, and devices without a readable file.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <set>
#include <thread>

#include "device_files.h"
#include "simulated_scanner.h"

namespace zorvik::test {
namespace {

using Call = std::function<int32_t(CToolkitInterface&)>;

struct FaultCase {
  const char* name;
  const char* description;
  bool initialize_first;
  Call call;
  std::vector<int32_t> results;  // of successive calls
  uint8_t status;                // reported after each failed call
};

class SimulatedDevice : public SimulatorTest {};

TEST_F(SimulatedDevice, ScriptedFaultsFailTheirCallsWithTheirStatus) {
  uint8_t lamp = 0;
  const FaultCase cases[] = {
      {"the first N calls",
       "fail = LampOn status 178 times 2",
       true,
       [](CToolkitInterface& t) { return t.LampOn(); },
       {0, 0, 1},
       178},
      {"from the Kth call on",
       "fail = LampOff status 150 from 3",
       true,
       [](CToolkitInterface& t) { return t.LampOff(); },
       {1, 1, 0, 0},
       150},
      {"one call in the middle",
       "fail = GetLightStatus status 164 from 2 times 1",
       true,
       [&](CToolkitInterface& t) { return t.GetLightStatus(&lamp); },
       {1, 0, 1},
       164},
      {"a status of 0",
       "fail = StopScan status 0 times 1",
       true,
       [](CToolkitInterface& t) { return t.StopScan(); },
       {0, 1},
       0},
      {"InitializeScanner answering 0, 0, then 2",
       "fail = InitializeScanner status 3 times 2\nresult = InitializeScanner 2",
       false,
       [](CToolkitInterface& t) { return t.InitializeScanner(); },
       {0, 0, 2, 2},
       3},
      {"InitializeDriver",
       "fail = InitializeDriver status 7",
       false,
       [](CToolkitInterface& t) { return t.InitializeDriver(); },
       {0, 0},
       7},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    OpenedDeviceFile device(c.description);
    ASSERT_EQ(1, toolkit_.SetIOHandle(device.handle()));
    if (c.initialize_first) {
      ASSERT_EQ(1, toolkit_.InitializeScanner());
    }
    for (size_t i = 0; i < c.results.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "call " << i + 1);
      EXPECT_EQ(c.results[i], c.call(toolkit_));
      if (c.results[i] == 0) {
        EXPECT_EQ(c.status, ErrorStatus());
      }
    }
    EXPECT_EQ(1, toolkit_.ClearIOHandle());
  }
}

class ScriptedRead : public SimulatorTest {
 protected:
  void StartScan(const char* description) {
    device_ = std::make_unique<OpenedDeviceFile>(description);
    StartUp(device_->handle());
    ASSERT_EQ(1, toolkit_.SetScanParameter(&record_));
    ASSERT_EQ(1, toolkit_.StartScan());
  }

  TOOLKIT_SCAN_PARAMETER record_ = ScanRecord(2, 8, 0, 0, 10, 20, 300, 300);
  std::vector<uint8_t> image_ = ExpectedImage(record_, sim::IdentityGamma());
  std::unique_ptr<OpenedDeviceFile> device_;
};

TEST_F(ScriptedRead, FailsAtItsByteAfterDeliveringTheBytesBefore) {
  StartScan("fail = ReadScan status 157 after 100");
  ASSERT_EQ(std::vector<uint8_t>(image_.begin(), image_.begin() + 64), ReadImage(64, 64));

  std::vector<uint8_t> buffer(64, 0xA5);
  uint8_t status = 0;
  EXPECT_EQ(0, toolkit_.ReadScan(&status, buffer.data(), 64));
  EXPECT_EQ(157, ErrorStatus());
  EXPECT_EQ(std::vector<uint8_t>(image_.begin() + 64, image_.begin() + 100),
            std::vector<uint8_t>(buffer.begin(), buffer.begin() + 36));
  EXPECT_EQ(std::vector<uint8_t>(28, 0xA5),
            std::vector<uint8_t>(buffer.begin() + 36, buffer.end()));
  // The scan stays failed until it is stopped; the next scan fails alike.
  EXPECT_EQ(0, toolkit_.ReadScan(&status, buffer.data(), 1));
  EXPECT_EQ(1, toolkit_.StopScan());
  ASSERT_EQ(1, toolkit_.StartScan());
  buffer.resize(128);
  EXPECT_EQ(0, toolkit_.ReadScan(&status, buffer.data(), 128));
  EXPECT_EQ(std::vector<uint8_t>(image_.begin(), image_.begin() + 100),
            std::vector<uint8_t>(buffer.begin(), buffer.begin() + 100));
}

TEST_F(ScriptedRead, CanSucceedButLeaveItsStatusByteSet) {
  StartScan("fail = ReadScan status 9 after 100 status_byte 1");
  std::vector<uint8_t> buffer(128);
  uint8_t status = 0;
  EXPECT_EQ(1, toolkit_.ReadScan(&status, buffer.data(), 128));
  EXPECT_EQ(1, status);
  EXPECT_EQ(9, ErrorStatus());
  EXPECT_EQ(std::vector<uint8_t>(image_.begin(), image_.begin() + 128), buffer);
  status = 0xEE;
  EXPECT_EQ(1, toolkit_.ReadScan(&status, buffer.data(), 72));
  EXPECT_EQ(0, status);
}

struct RefusedCall {
  const char* name;
  std::function<void(CToolkitInterface&)> before;
  Call call;
  uint8_t status;
};

// A bus rate only holds the reads back: the bytes are those of a device
// without one, and they take at least the time the bus needs for them (less
// the couple of milliseconds a host may get back after idling).
TEST_F(ScriptedRead, ABusRateDeliversTheSameBytesNoFasterThanTheBus) {
  record_ = ScanRecord(2, 8, 0, 0, 1000, 400, 300, 300);  // 1.2 MB
  image_ = ExpectedImage(record_, sim::IdentityGamma());
  StartScan("bus_rate = 40 MB/s");
  // Timed with the performance counter: Wine's tick count moves in steps of
  // many milliseconds.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(image_, ReadImage(image_.size(), 64 * 1024));
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  const int64_t bus_ms = static_cast<int64_t>(image_.size() / 40000);  // at 40 MB/s
  EXPECT_GE(elapsed.count(), bus_ms - 3);
}

TEST_F(SimulatedDevice, RefusesCallsOutOfOrderOrWithBadArguments) {
  const TOOLKIT_SCAN_PARAMETER record = ScanRecord(4, 24, 0, 0, 8, 8, 300, 300);
  const auto initialize = [](CToolkitInterface& t) { ASSERT_EQ(1, t.InitializeScanner()); };
  const auto set_up = [&](CToolkitInterface& t) {
    initialize(t);
    ASSERT_EQ(1, t.SetScanParameter(&record));
  };
  const uint8_t table[256] = {};
  uint8_t status = 0;
  uint8_t buffer[8];
  const RefusedCall cases[] = {
      {"StartScan before InitializeScanner", [](CToolkitInterface&) {},
       [](CToolkitInterface& t) { return t.StartScan(); }, 4},
      {"LampOn before InitializeScanner", [](CToolkitInterface&) {},
       [](CToolkitInterface& t) { return t.LampOn(); }, 4},
      {"StartScan without parameters", initialize,
       [](CToolkitInterface& t) { return t.StartScan(); }, 4},
      {"ReadScan without a scan", set_up,
       [&](CToolkitInterface& t) { return t.ReadScan(&status, buffer, 8); }, 4},
      {"StartScan twice",
       [&](CToolkitInterface& t) {
         set_up(t);
         ASSERT_EQ(1, t.StartScan());
       },
       [](CToolkitInterface& t) { return t.StartScan(); }, 4},
      {"SetScanParameter during a scan",
       [&](CToolkitInterface& t) {
         set_up(t);
         ASSERT_EQ(1, t.StartScan());
       },
       [&](CToolkitInterface& t) { return t.SetScanParameter(&record); }, 4},
      {"StartScan with the lamp off",
       [&](CToolkitInterface& t) {
         set_up(t);
         ASSERT_EQ(1, t.LampOff());
       },
       [](CToolkitInterface& t) { return t.StartScan(); }, 178},
      {"SetGammaTable on channel 4", initialize,
       [&](CToolkitInterface& t) { return t.SetGammaTable(table, 4, 256); }, 5},
      {"SetGammaTable with 255 entries", initialize,
       [&](CToolkitInterface& t) { return t.SetGammaTable(table, 1, 255); }, 5},
      {"SetScanParameter without a record", initialize,
       [](CToolkitInterface& t) { return t.SetScanParameter(nullptr); }, 5},
      {"ReadScan without a status byte", set_up,
       [&](CToolkitInterface& t) { return t.ReadScan(nullptr, buffer, 8); }, 5},
      {"GetLightStatus without a byte", initialize,
       [](CToolkitInterface& t) { return t.GetLightStatus(nullptr); }, 5},
  };
  for (const RefusedCall& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(1, toolkit_.SetIOHandle(nullptr));
    c.before(toolkit_);
    EXPECT_EQ(0, c.call(toolkit_));
    EXPECT_EQ(c.status, ErrorStatus());
    EXPECT_EQ(1, toolkit_.ClearIOHandle());
  }
}

struct RecordChange {
  const char* name;
  std::function<void(TOOLKIT_SCAN_PARAMETER&)> change;
};

TEST_F(SimulatedDevice, RefusesRecordsItCannotScanAndKeepsNoStaleOnes) {
  const RecordChange cases[] = {
      {"colour at 36 bits", [](auto& r) { r.BitsPerPixel = 36; }},
      {"grey at 12 bits", [](auto& r) { r.ScanMode = 2, r.BitsPerPixel = 12; }},
      {"black and white at 9 bits", [](auto& r) { r.ScanMode = 0, r.BitsPerPixel = 9; }},
      {"scan mode 1", [](auto& r) { r.ScanMode = 1; }},
      {"no pixels", [](auto& r) { r.PixelNum = 0; }},
      {"no lines", [](auto& r) { r.LineNum = 0; }},
      {"X resolution 0", [](auto& r) { r.XRes = 0; }},
      {"X resolution above 1200", [](auto& r) { r.XRes = 1201; }},
      {"Y resolution above 2400", [](auto& r) { r.YRes = 2401; }},
      {"wider than the flatbed", [](auto& r) { r.PixelLeft = 2000, r.PixelWidth = 551; }},
      {"longer than the flatbed", [](auto& r) { r.PixelTop = 3000, r.PixelLength = 511; }},
      {"document feeder not fitted", [](auto& r) { r.ScanMethod = 1; }},
      {"scan method 3", [](auto& r) { r.ScanMethod = 3; }},
  };
  StartUp(nullptr);
  const TOOLKIT_SCAN_PARAMETER good = ScanRecord(4, 24, 0, 0, 8, 8, 300, 300);
  for (const RecordChange& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(1, toolkit_.SetScanParameter(&good));
    TOOLKIT_SCAN_PARAMETER bad = good;
    c.change(bad);
    EXPECT_EQ(0, toolkit_.SetScanParameter(&bad));
    EXPECT_EQ(5, ErrorStatus());
    EXPECT_EQ(0, toolkit_.StartScan());
    EXPECT_EQ(4, ErrorStatus());
  }
}

TEST_F(SimulatedDevice, TwoDevicesKeepSeparateState) {
  OpenedDeviceFile first("model = Scanner A\n");
  OpenedDeviceFile second(
      "model = Scanner B\nlamp = off\nbutton_count = 2\n"
      "fail = LampOn status 150 times 1\n");
  StartUp(first.handle());
  StartUp(second.handle());
  TOOLKIT_BUTTON_INFO buttons{};
  uint8_t lamp = 0xEE;

  EXPECT_EQ("Scanner B", ModelName());
  EXPECT_EQ(1, toolkit_.InitialButton(&buttons));
  EXPECT_EQ(2, buttons.ButtonCount);
  EXPECT_EQ(0, toolkit_.LampOn());
  EXPECT_EQ(150, ErrorStatus());

  ASSERT_EQ(1, toolkit_.SetIOHandle(first.handle()));
  EXPECT_EQ("Scanner A", ModelName());
  EXPECT_EQ(0, ErrorStatus());
  EXPECT_EQ(1, toolkit_.InitialButton(&buttons));
  EXPECT_EQ(4, buttons.ButtonCount);
  EXPECT_EQ(1, toolkit_.LampOff());

  ASSERT_EQ(1, toolkit_.SetIOHandle(second.handle()));
  EXPECT_EQ(1, toolkit_.LampOn());
  EXPECT_EQ(1, toolkit_.GetLightStatus(&lamp));
  EXPECT_EQ(1, lamp);
  ASSERT_EQ(1, toolkit_.SetIOHandle(first.handle()));
  EXPECT_EQ(1, toolkit_.GetLightStatus(&lamp));
  EXPECT_EQ(0, lamp);
  EXPECT_EQ(2u, simulator_.DeviceCount());
}

// Two threads, each selecting its own device before every request, as many
// times as `rounds`; the number of answers that came from the other device.
int DriveTwoDevicesFromTwoThreads(int rounds) {
  OpenedDeviceFile first("model = Scanner A\n");
  OpenedDeviceFile second("model = Scanner B\n");
  std::atomic<int> mismatches{0};
  const auto drive = [&](HANDLE device, const char* model) {
    CToolkitInterface toolkit(kToolkitUsbIoType);
    for (int i = 0; i < rounds; ++i) {
      TOOLKIT_ABILITY ability{};
      toolkit.SetIOHandle(device);
      // Offers the other thread the processor between selection and request,
      // so that they interleave also on a machine busy enough to run each
      // thread's whole loop in one time slice.
      std::this_thread::yield();
      toolkit.GetScannerAbilityEx(&ability);
      if (std::string(ability.ModelName) != model) ++mismatches;
    }
  };
  std::thread a(drive, first.handle(), "Scanner A");
  std::thread b(drive, second.handle(), "Scanner B");
  a.join();
  b.join();
  return mismatches;
}

TEST_F(SimulatedDevice, EachThreadDrivesTheDeviceItSelectedInThreadMode) {
  ASSERT_TRUE(simulator_.SetSelectionMode(sim::kSimSelectThread));
  EXPECT_EQ(0, DriveTwoDevicesFromTwoThreads(200));
  EXPECT_TRUE(simulator_.Conflicts().empty());
}

TEST_F(SimulatedDevice, TheSelectionIsTheProcesssAndADivertedRequestIsRecorded) {
  OpenedDeviceFile first("model = Scanner A\n");
  OpenedDeviceFile second("model = Scanner B\n");
  ASSERT_EQ(1, toolkit_.SetIOHandle(first.handle()));
  std::thread([&] {
    CToolkitInterface other(kToolkitUsbIoType);
    other.SetIOHandle(second.handle());
  }).join();
  // The other thread's selection holds for this thread too.
  EXPECT_EQ("Scanner B", ModelName());
  const std::vector<sim::SIM_CONFLICT> conflicts = simulator_.Conflicts();
  ASSERT_EQ(1u, conflicts.size());
  EXPECT_STREQ("GetScannerAbilityEx", conflicts[0].EntryPoint);
  EXPECT_EQ(GetCurrentThreadId(), conflicts[0].ThreadId);
  EXPECT_EQ(uint32_t{sim::kSimConflictOtherDevice}, conflicts[0].Kind);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(first.handle()), conflicts[0].Selected);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(second.handle()), conflicts[0].Device);

  // Selected again, the thread's requests are its own; clearing the journal
  // clears the conflicts.
  ASSERT_EQ(1, toolkit_.SetIOHandle(first.handle()));
  EXPECT_EQ("Scanner A", ModelName());
  EXPECT_EQ(1u, simulator_.Conflicts().size());
  simulator_.JournalClear();
  EXPECT_TRUE(simulator_.Conflicts().empty());
}

TEST_F(SimulatedDevice, RequestsRacingTheirSelectionsAreCaught) {
  // Unguarded, the two threads' selections and requests interleave: requests
  // reach the other device, and requests on one device overlap.
  int mismatches = 0;
  std::vector<sim::SIM_CONFLICT> conflicts;
  for (int attempt = 0; attempt < 50 && (mismatches == 0 || conflicts.empty()); ++attempt) {
    mismatches += DriveTwoDevicesFromTwoThreads(2000);
    conflicts = simulator_.Conflicts();
  }
  EXPECT_GT(mismatches, 0);
  std::set<uint32_t> kinds;
  for (const sim::SIM_CONFLICT& conflict : conflicts) kinds.insert(conflict.Kind);
  EXPECT_TRUE(kinds.count(sim::kSimConflictOtherDevice));
}

TEST_F(SimulatedDevice, OverlappingRequestsOnOneDeviceAreCaught) {
  OpenedDeviceFile device("");
  std::atomic<bool> overlapped{false};
  const auto drive = [&] {
    CToolkitInterface toolkit(kToolkitUsbIoType);
    toolkit.SetIOHandle(device.handle());
    for (int i = 0; i < 200000 && !overlapped; ++i) {
      TOOLKIT_ABILITY ability{};
      toolkit.GetScannerAbilityEx(&ability);
      if (i % 256 == 0 && !simulator_.Conflicts().empty()) overlapped = true;
    }
  };
  std::thread a(drive);
  std::thread b(drive);
  a.join();
  b.join();
  bool overlap_seen = false;
  for (const sim::SIM_CONFLICT& conflict : simulator_.Conflicts()) {
    EXPECT_EQ(uint32_t{sim::kSimConflictOverlap}, conflict.Kind) << conflict.EntryPoint;
    overlap_seen = overlap_seen || conflict.Kind == sim::kSimConflictOverlap;
  }
  EXPECT_TRUE(overlap_seen);
}

// Whether a handle still stands for its file is a file-system call to find
// out, so SetIOHandle asks only when the selection changes: a handle value
// handed out again for another file while it stays selected is still the old
// device; selected after another handle, it is the new one.
TEST_F(SimulatedDevice, AHandleIsCheckedAgainstItsFileOnlyWhenTheSelectionChanges) {
  // A second handle to the first file, closed while the file itself stays
  // (a file deleted and created again may come back as the same file).
  OpenedDeviceFile first("model = Scanner A\n");
  HANDLE value = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), first.handle(), GetCurrentProcess(), &value, 0,
                              FALSE, DUPLICATE_SAME_ACCESS));
  UniqueHandle duplicate(value);
  ASSERT_EQ(1, toolkit_.SetIOHandle(value));
  EXPECT_EQ("Scanner A", ModelName());
  duplicate.reset();
  OpenedDeviceFile second("model = Scanner B\n");
  if (second.handle() != value) GTEST_SKIP() << "the platform did not hand the value out again";
  ASSERT_EQ(1, toolkit_.SetIOHandle(value));
  EXPECT_EQ("Scanner A", ModelName());

  OpenedDeviceFile other("model = Scanner C\n");
  ASSERT_EQ(1, toolkit_.SetIOHandle(other.handle()));
  ASSERT_EQ(1, toolkit_.SetIOHandle(value));
  EXPECT_EQ("Scanner B", ModelName());
}

TEST_F(SimulatedDevice, ScriptedPressIsLatchedUntilReset) {
  OpenedDeviceFile device("press = 2 after 3\npress = 1 after 5\n");
  StartUp(device.handle());
  const auto poll = [this]() {
    TOOLKIT_BUTTON_EVENT event{0x7F, 0x7F};
    EXPECT_EQ(1, toolkit_.ReadPushButton(&event));
    return event.Flags == kButtonPressLatched ? int(event.Number)
                                              : (event.Flags == 0 && event.Number == 0 ? 0 : -1);
  };
  std::vector<int> seen;
  for (int i = 0; i < 6; ++i) seen.push_back(poll());
  // Button 2 from the fourth poll on; button 1, due at the sixth, waits for the reset.
  EXPECT_EQ((std::vector<int>{0, 0, 0, 2, 2, 2}), seen);
  EXPECT_EQ(1, toolkit_.ResetPushButton());
  EXPECT_EQ(1, poll());
  EXPECT_EQ(1, poll());
  EXPECT_EQ(1, toolkit_.ResetPushButton());
  EXPECT_EQ(0, poll());
}

TEST_F(SimulatedDevice, HandleWithoutReadableDescriptionHasNoScanner) {
  UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  EXPECT_EQ(0, toolkit_.SetIOHandle(event.get()));
  EXPECT_EQ(1, ErrorStatus());
  EXPECT_EQ(1, toolkit_.InitializeDriver());
  EXPECT_EQ(0, toolkit_.InitializeScanner());
  EXPECT_EQ(1, ErrorStatus());
  const std::vector<sim::SIM_JOURNAL_ENTRY> journal = simulator_.Journal();
  ASSERT_FALSE(journal.empty());
  const std::string problems(reinterpret_cast<const char*>(journal[0].Data), journal[0].DataSize);
  EXPECT_NE(std::string::npos, problems.find("cannot be read through the handle")) << problems;
  EXPECT_EQ(1, toolkit_.ClearIOHandle());
}

TEST_F(SimulatedDevice, ClearIOHandleForgetsTheDevice) {
  OpenedDeviceFile device("model = Scanner A\n");
  StartUp(device.handle());
  ASSERT_EQ(1, toolkit_.LampOff());
  const uint32_t devices = simulator_.DeviceCount();
  EXPECT_EQ(1, toolkit_.ClearIOHandle());
  EXPECT_EQ(devices - 1, simulator_.DeviceCount());

  // Selected again, the device starts afresh: not initialised, lamp as described.
  ASSERT_EQ(1, toolkit_.SetIOHandle(device.handle()));
  uint8_t lamp = 0xEE;
  EXPECT_EQ(0, toolkit_.GetLightStatus(&lamp));
  EXPECT_EQ(4, ErrorStatus());
  ASSERT_EQ(1, toolkit_.InitializeScanner());
  EXPECT_EQ(1, toolkit_.GetLightStatus(&lamp));
  EXPECT_EQ(1, lamp);
}

TEST_F(SimulatedDevice, DefaultDeviceIsA7310UnlessReplaced) {
  ASSERT_EQ(1, toolkit_.SetIOHandle(nullptr));
  EXPECT_EQ("Vistrel 7310", ModelName());
  simulator_.SetDefaultDevice("model = Bench Scanner\n");
  ASSERT_EQ(1, toolkit_.SetIOHandle(nullptr));
  EXPECT_EQ("Bench Scanner", ModelName());
  simulator_.SetDefaultDevice(nullptr);
  EXPECT_EQ("Vistrel 7310", ModelName());
}

}  // namespace
}  // namespace zorvik::test
