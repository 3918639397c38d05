// Checks for child roles: a failed check ends the role with the failing line
// as its exit code, so that the parent's message points at it.
#pragma once

// Ends a child role with the source line when `condition` does not hold.
#define CHILD_CHECK(condition)         \
  do {                                 \
    if (!(condition)) return __LINE__; \
  } while (0)

// What the parent expects from a child whose checks all held.
#define EXPECT_CHILD_PASSES(exit_code) \
  EXPECT_EQ(0, exit_code) << "the child failed the check on that line (-1: it timed out)"
