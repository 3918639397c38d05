// Logging switched on for a whole test process, through settings of its own.
#pragma once

#include <windows.h>

#include <string>

namespace zorvik::test {

// Switches logging to the file `log_path` on for this whole process, under a
// settings key of the test suite's own `class_id`, so that no other suite
// running beside it sees the settings and the ZORVIK key is never touched.
// Must run before the first logger of the process; the key is removed again
// at once, since the settings are read only once per process.
void EnableProcessLogForTesting(REFCLSID class_id, const std::string& log_path);

}  // namespace zorvik::test
