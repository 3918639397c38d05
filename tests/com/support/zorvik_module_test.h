// The fixture of suites that drive zorvik.dll through its exports: this
// thread in a single-threaded apartment and the module loaded by path.
#pragma once

#include <gtest/gtest.h>

#include "com_apartment.h"
#include "zorvik_module.h"

namespace zorvik::test {

class ZorvikModuleTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(apartment_.ok());
    ASSERT_TRUE(module_.loaded());
  }

  ComApartment apartment_;
  ZorvikModule module_;
};

}  // namespace zorvik::test
