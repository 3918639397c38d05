// Paths of the built files, found beside the running test executable, and
// of the temporary folder the tests and the benchmark put their files in.
#pragma once

#include <string>

namespace zorvik::test {

// The folder of the running executable, with a trailing backslash.
std::wstring ExecutableDir();

// A file beside the running executable, e.g. L"zorvik.dll".
std::wstring BesideExecutable(const wchar_t* file_name);

// The temporary folder, with a trailing backslash; empty when the system
// cannot say.
std::string TempFolder();

}  // namespace zorvik::test
