// The one guard of the toolkit's process-wide device selection.
#include "toolkit_step.h"

#include "critical_section.h"

namespace zorvik {

namespace {

// Built when the module loads, before any object exists, and gone when it
// unloads; a function-local static would cost a TLS slot at every unload.
CriticalSection g_toolkit_guard;

}  // namespace

ToolkitStep::ToolkitStep() noexcept { g_toolkit_guard.Enter(); }

ToolkitStep::~ToolkitStep() { g_toolkit_guard.Leave(); }

}  // namespace zorvik
