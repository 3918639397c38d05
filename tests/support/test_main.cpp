// Entry point of every test executable: either a child role (see
// child_process.h) or the GoogleTest suite.
#include <gtest/gtest.h>

#include "child_process.h"

int main(int argc, char** argv) {
  int exit_code = 0;
  if (zorvik::test::RunChildRoleIfAsked(argc, argv, &exit_code)) return exit_code;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
