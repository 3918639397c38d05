// The module handle and path that registration writes and reads resources from.
#include "this_module.h"

namespace zorvik {
namespace {
HMODULE g_this_module = nullptr;
}

void RecordThisModule(HMODULE module) noexcept { g_this_module = module; }

HMODULE ThisModule() noexcept { return g_this_module; }

}  // namespace zorvik
