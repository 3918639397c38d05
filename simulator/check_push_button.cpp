// CheckPushButton, an entry point the component resolves but never calls.
// It is kept apart so that a test build of the toolkit can leave exactly one
// never-called entry point out.
#include "toolkit_exports.h"

#include "journaled_call.h"

extern "C" int32_t WINAPI CheckPushButton(uint8_t* pressed) {
  using zorvik::sim::Device;
  return zorvik::sim::CallSelectedDevice(
      zorvik::ToolkitEntry::CheckPushButton, {zorvik::sim::AsArgument(pressed)}, {},
      [&](Device& device) { return device.CheckPushButton(pressed); });
}
