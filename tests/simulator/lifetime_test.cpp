// The component loads and unloads the toolkit once per session, so a host
// that opens many sessions loads the simulator many times: each unload must
// give back everything the load took.
#include <windows.h>

#include <gtest/gtest.h>

#include "toolkit_interface.h"

namespace zorvik {
namespace {

DWORD FirstFreeThreadSlot() {
  const DWORD slot = TlsAlloc();
  TlsFree(slot);
  return slot;
}

TEST(SimulatorLifetime, LoadingAndUnloadingLeavesNoThreadSlotBehind) {
  ASSERT_EQ(nullptr, GetModuleHandleW(L"KELMARTK.DLL"));
  const DWORD first_free = FirstFreeThreadSlot();
  for (int session = 0; session < 20; ++session) {
    CToolkitInterface toolkit(kToolkitUsbIoType);
    ASSERT_EQ(1, toolkit.IsValid());
    TOOLKIT_ABILITY ability;
    toolkit.SetIOHandle(nullptr);
    toolkit.GetScannerAbilityEx(&ability);
    toolkit.ClearIOHandle();
  }
  ASSERT_EQ(nullptr, GetModuleHandleW(L"KELMARTK.DLL"));
  EXPECT_EQ(first_free, FirstFreeThreadSlot());
}

}  // namespace
}  // namespace zorvik
