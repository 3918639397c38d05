#include "driver_error.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvik {
namespace {

TEST(DriverErrorName, NamesEveryAssignedCodeAndNothingElse) {
  struct Case {
    uint32_t code;
    const char* name;
  };
  const Case cases[] = {
      {0, "No Error"},
      {1, "Invalid Session"},
      {2, "Invalid Parameter Specified"},
      {5, "Scanner Lock Failed"},
      {11, "Scanner carriage failed to return home"},
      {16, "Cancel button pressed"},
      {17, "no definition"},
      {99, "no definition"},
      {100, "ADF is Jammed"},
      {102, "ADF unexpected end of page"},
      {103, "no definition"},
      {0xFFFFFFFF, "no definition"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_STREQ(c.name, DriverErrorName(c.code));
  }
}

TEST(DriverErrorName, EveryCodeFromZeroToSixteenHasItsOwnName) {
  for (uint32_t code = 0; code <= 16; ++code) {
    SCOPED_TRACE(code);
    EXPECT_STRNE("no definition", DriverErrorName(code));
    for (uint32_t other = 0; other < code; ++other) {
      EXPECT_STRNE(DriverErrorName(other), DriverErrorName(code));
    }
  }
}

}  // namespace
}  // namespace zorvik
