// Helpers for child roles: a COM apartment for the child's main thread, and a
// check that ends the role with the failing line as its exit code so that the
// parent's message points at it.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace zorvik::test {

class ComApartment {
 public:
  explicit ComApartment(DWORD model = COINIT_MULTITHREADED)
      : initialized_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
  ~ComApartment() {
    if (initialized_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace zorvik::test

// Ends a child role with the source line when `condition` does not hold.
#define CHILD_CHECK(condition)         \
  do {                                 \
    if (!(condition)) return __LINE__; \
  } while (0)

// What the parent expects from a child whose checks all held.
#define EXPECT_CHILD_PASSES(exit_code) \
  EXPECT_EQ(0, exit_code) << "the child failed the check on that line (-1: it timed out)"
