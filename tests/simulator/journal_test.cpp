// The journal of toolkit calls: what a scan start hands the toolkit, in
// order and byte for byte, the description problems it shows, and that it
// stays exact when several threads call at once.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <thread>

#include "device_files.h"
#include "simulated_scanner.h"

namespace zorvik::test {
namespace {

std::vector<uint8_t> DataOf(const sim::SIM_JOURNAL_ENTRY& entry) {
  return std::vector<uint8_t>(entry.Data, entry.Data + entry.DataSize);
}

template <typename Record>
std::vector<uint8_t> BytesOf(const Record& record) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  return std::vector<uint8_t>(bytes, bytes + sizeof(record));
}

class Journal : public SimulatorTest {};

TEST_F(Journal, KeepsTheRecordAndTablesAScanStartHandsIn) {
  OpenedDeviceFile device("");
  StartUp(device.handle());
  const TOOLKIT_SCAN_PARAMETER record = ScanRecord(4, 24, 12, 34, 16, 8, 150, 300);
  const Gamma gamma = DistinctTables();
  simulator_.JournalClear();

  ASSERT_EQ(1, toolkit_.SetScanParameter(&record));
  SendGamma(gamma);
  ASSERT_EQ(1, toolkit_.StartScan());

  const std::vector<sim::SIM_JOURNAL_ENTRY> journal = simulator_.Journal();
  ASSERT_EQ((std::vector<std::string>{"SetScanParameter", "SetGammaTable", "SetGammaTable",
                                      "SetGammaTable", "StartScan"}),
            simulator_.JournalNames());
  EXPECT_EQ(BytesOf(record), DataOf(journal[0]));
  const std::array<uint8_t, 256>* tables[] = {&gamma.red, &gamma.green, &gamma.blue};
  for (uint64_t channel = 1; channel <= 3; ++channel) {
    SCOPED_TRACE(testing::Message() << "channel " << channel);
    const sim::SIM_JOURNAL_ENTRY& entry = journal[channel];
    ASSERT_EQ(3u, entry.ArgumentCount);
    EXPECT_EQ(channel, entry.Arguments[1]);
    EXPECT_EQ(256u, entry.Arguments[2]);
    EXPECT_EQ(BytesOf(*tables[channel - 1]), DataOf(entry));
  }
  for (const sim::SIM_JOURNAL_ENTRY& entry : journal) {
    EXPECT_EQ(reinterpret_cast<uintptr_t>(device.handle()), entry.Device);
    EXPECT_EQ(1, entry.Result);
    EXPECT_EQ(GetCurrentThreadId(), entry.ThreadId);
  }
}

TEST_F(Journal, ShowsTheSettingsADeviceFileHadThatWereNotUnderstood) {
  OpenedDeviceFile device("colour = red\nflatbed_width = 2400\nlamp = dim\n");
  ASSERT_EQ(1, toolkit_.SetIOHandle(device.handle()));
  const std::vector<sim::SIM_JOURNAL_ENTRY> journal = simulator_.Journal();
  ASSERT_EQ(1u, journal.size());
  const std::vector<uint8_t> data = DataOf(journal[0]);
  EXPECT_EQ("line 1: unknown setting 'colour'\nline 3: lamp: expected 'on' or 'off'\n",
            std::string(data.begin(), data.end()));
  // The settings that were understood still apply.
  TOOLKIT_ABILITY ability{};
  ASSERT_EQ(1, toolkit_.GetScannerAbilityEx(&ability));
  EXPECT_EQ(2400, ability.FlatbedMaxWidth);
}

TEST_F(Journal, KeepsTheNewestCallsInCallOrderOnceFull) {
  // Each call here hands in a table of its own length (up to 256 entries),
  // so that a record that takes over an older one's place must not keep any
  // of its bytes.
  constexpr uint32_t kKept = sim::kJournalCapacity;
  constexpr uint32_t kCalls = kKept + 300;
  std::array<uint8_t, 256> table;
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(i);
  simulator_.JournalClear();
  for (uint32_t call = 0; call < kCalls; ++call)
    toolkit_.SetGammaTable(table.data(), 1, static_cast<uint16_t>(call % 257));

  const std::vector<sim::SIM_JOURNAL_ENTRY> journal = simulator_.Journal();
  ASSERT_EQ(size_t{kKept}, journal.size());
  for (uint32_t kept = 0; kept < kKept; ++kept) {
    const uint32_t call = kCalls - kKept + kept;
    const sim::SIM_JOURNAL_ENTRY& entry = journal[kept];
    ASSERT_EQ(call % 257, entry.Arguments[2]) << "kept record " << kept;
    ASSERT_EQ(std::vector<uint8_t>(table.begin(), table.begin() + call % 257), DataOf(entry))
        << "kept record " << kept;
  }
}

TEST_F(Journal, CountsEveryCallWhenThreadsCallAtOnce) {
  constexpr int kThreads = 4;
  constexpr int kCalls = 250;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([] {
      CToolkitInterface toolkit(kToolkitUsbIoType);
      TOOLKIT_ABILITY ability;
      for (int i = 0; i < kCalls; ++i) toolkit.GetScannerAbilityEx(&ability);
    });
  }
  for (std::thread& thread : threads) thread.join();

  // Each binding also ended the driver once.
  std::map<uint32_t, int> calls_per_thread;
  for (const sim::SIM_JOURNAL_ENTRY& entry : simulator_.Journal()) {
    if (std::strcmp(entry.EntryPoint, "GetScannerAbilityEx") == 0)
      ++calls_per_thread[entry.ThreadId];
  }
  EXPECT_EQ(uint32_t{kThreads * (kCalls + 1)}, simulator_.JournalCount());
  ASSERT_EQ(size_t{kThreads}, calls_per_thread.size());
  for (const auto& [thread, calls] : calls_per_thread) EXPECT_EQ(kCalls, calls) << thread;

  simulator_.JournalClear();
  EXPECT_EQ(0u, simulator_.JournalCount());
}

}  // namespace
}  // namespace zorvik::test
