// Paths of the built files, found beside the running test executable.
#pragma once

#include <string>

namespace zorvik::test {

// The folder of the running executable, with a trailing backslash.
std::wstring ExecutableDir();

// A file beside the running executable, e.g. L"zorvik.dll".
std::wstring BesideExecutable(const wchar_t* file_name);

}  // namespace zorvik::test
