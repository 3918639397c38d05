// Finding and loading the toolkit library "KELMARTK.DLL" by full path.
//
// Loading it by bare name would let the loader search the host's current
// directory and PATH, so a planted file of that name would run inside every
// host. The library is therefore looked for only in, in this order:
//   1. the folder of the module that contains this binding (the component),
//   2. the folder of the host application,
//   3. the system folder,
// and loaded from the first of them that has a loadable copy.
#pragma once

#include <string>
#include <vector>

#include "unique_resource.h"

namespace zorvik {

inline constexpr wchar_t kToolkitLibraryName[] = L"KELMARTK.DLL";

// The folders searched, in order, each with a trailing backslash and each
// listed once.
std::vector<std::wstring> ToolkitSearchDirectories();

// The toolkit loaded from the first searched folder that has a loadable copy;
// empty when none has.
UniqueModule LoadToolkitLibrary();

}  // namespace zorvik
