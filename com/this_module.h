// zorvik.dll's own module handle and file path, recorded when the process
// attaches it.
#pragma once

#include <windows.h>

#include "module_path.h"

namespace zorvik {

void RecordThisModule(HMODULE module) noexcept;
HMODULE ThisModule() noexcept;

}  // namespace zorvik
