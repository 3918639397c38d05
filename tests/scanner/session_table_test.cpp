// The session table on its own: names as byte strings, handles that name
// only live, set-up sessions, and names too long for the record.
#include <gtest/gtest.h>

#include <string>

#include "logger.h"
#include "session_table.h"

namespace zorvik {
namespace {

TEST(SessionTable, NamesDifferingOnlyInCaseAreTwoSessions) {
  CSessionTable& table = CSessionTable::Instance();
  CLogger log(LOG_ATTR_DETAIL);
  int32_t count = 0;
  auto upper = table.AcquireSession("\\\\.\\zorvik-table-Scanner", &count);
  EXPECT_EQ(1, count);
  auto lower = table.AcquireSession("\\\\.\\zorvik-table-scanner", &count);
  EXPECT_EQ(1, count);
  ASSERT_TRUE(upper && lower);
  EXPECT_NE(upper.get(), lower.get());
  EXPECT_NE(upper->handle(), lower->handle());
  EXPECT_NE(&upper->lock(), &lower->lock());
  EXPECT_EQ(upper, table.AcquireSession("\\\\.\\zorvik-table-Scanner", &count));
  EXPECT_EQ(2, count);

  int32_t remaining = -1;
  EXPECT_TRUE(table.ReleaseSession(upper, &remaining, log));
  EXPECT_EQ(1, remaining);
  EXPECT_TRUE(table.ReleaseSession(upper, &remaining, log));
  EXPECT_EQ(0, remaining);
  EXPECT_FALSE(table.ReleaseSession(upper, &remaining, log));
  EXPECT_TRUE(table.ReleaseSession(lower, nullptr, log));
  EXPECT_EQ(0u, table.SessionCount());
}

TEST(SessionTable, OnlyASetUpSessionInTheTableValidates) {
  CSessionTable& table = CSessionTable::Instance();
  CLogger log(LOG_ATTR_DETAIL);
  auto session = table.AcquireSession("zorvik-table-validate", nullptr);
  ASSERT_TRUE(session);
  const DWORD handle = session->handle();
  EXPECT_EQ(nullptr, table.ValidateSession(handle)) << "still being set up";
  session->FinishSetUp(SessionSetUp::kSucceeded, 0);
  EXPECT_EQ(session, table.ValidateSession(handle));
  EXPECT_EQ(nullptr, table.ValidateSession(0));
  EXPECT_EQ(nullptr, table.ValidateSession(handle + 1000));
  EXPECT_TRUE(table.ReleaseSession(session, nullptr, log));
  EXPECT_EQ(nullptr, table.ValidateSession(handle));
}

TEST(SessionTable, ANameLongerThanTheRecordFieldMakesNoSession) {
  CSessionTable& table = CSessionTable::Instance();
  CLogger log(LOG_ATTR_DETAIL);
  const std::string longest(kDeviceNameSize - 1, 'n');
  auto session = table.AcquireSession(longest.c_str(), nullptr);
  ASSERT_TRUE(session);
  EXPECT_EQ(longest, session->device_name());
  EXPECT_TRUE(table.ReleaseSession(session, nullptr, log));
  EXPECT_EQ(nullptr, table.AcquireSession((longest + "n").c_str(), nullptr));
  EXPECT_EQ(0u, table.SessionCount());
}

}  // namespace
}  // namespace zorvik
