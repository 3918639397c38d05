// The driver error code of every toolkit error status, against the lists the
// toolkit's statuses are documented in.
#include "toolkit_status_map.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace zorvik {
namespace {

struct StatusRange {
  int first;
  int last;
};

struct StatusGroup {
  DriverError code;
  std::vector<StatusRange> statuses;
};

// Written as the groups are documented, ranges included, rather than derived
// from the mapping under test.
const std::vector<StatusGroup>& DocumentedGroups() {
  static const std::vector<StatusGroup> groups = {
      {kErrNoError, {{0, 0}}},
      {kErrScannerNotFound, {{1, 2}}},
      {kErrCommunicationFailure,
       {{3, 3}, {8, 8}, {123, 123}, {150, 150}, {152, 152}, {154, 159}, {163, 164}, {174, 174}}},
      {kErrCalibrationFailed, {{7, 7}}},
      {kErrCarriageNotHome, {{176, 177}, {179, 179}}},
      {kErrLampOff, {{178, 178}}},
      {kErrInvalidParameter,
       {{4, 6},
        {9, 122},
        {124, 149},
        {151, 151},
        {153, 153},
        {160, 162},
        {165, 173},
        {175, 175},
        {180, 255}}},
  };
  return groups;
}

// Each status's documented code; also checks that the groups name every
// status exactly once, so a slip in the expectation cannot go unnoticed.
std::array<DriverError, 256> ExpectedCodes() {
  std::array<std::optional<DriverError>, 256> named{};
  for (const StatusGroup& group : DocumentedGroups()) {
    for (const StatusRange& range : group.statuses) {
      for (int status = range.first; status <= range.last; ++status) {
        EXPECT_FALSE(named[status].has_value()) << "status " << status << " listed twice";
        named[status] = group.code;
      }
    }
  }
  std::array<DriverError, 256> expected{};
  for (int status = 0; status < 256; ++status) {
    EXPECT_TRUE(named[status].has_value()) << "status " << status << " not listed";
    expected[status] = named[status].value_or(kErrNoError);
  }
  return expected;
}

TEST(DriverErrorFromToolkitStatus, MapsEveryStatusAsDocumented) {
  const std::array<DriverError, 256> expected = ExpectedCodes();
  for (int status = 0; status < 256; ++status) {
    EXPECT_EQ(expected[status], DriverErrorFromToolkitStatus(static_cast<uint8_t>(status)))
        << "toolkit error status " << status;
  }
}

}  // namespace
}  // namespace zorvik
