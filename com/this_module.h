// zorvik.dll's own module handle and file path, recorded when the process
// attaches it.
#pragma once

#include <windows.h>

#include <string>

namespace zorvik {

void RecordThisModule(HMODULE module) noexcept;
HMODULE ThisModule() noexcept;

// The full path of `module`; empty when it cannot be read.
std::wstring ModulePath(HMODULE module);

}  // namespace zorvik
