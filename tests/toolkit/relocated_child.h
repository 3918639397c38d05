// Runs this test program as a child from another folder, so that the
// toolkit binding inside it looks for KELMARTK.DLL beside that copy: the
// way to test where the binding looks without a hook in the product.
#pragma once

#include <string>

namespace zorvik::test {

// Copies the running test program into `folder` (created if needed), starts
// the copy with "--child=<role>" in `working_directory`, with `path_prefix`
// (if any) put in front of PATH, waits at most a minute and deletes the
// copy. Returns the child's exit code, or -1 if it did not start or finish.
int RunRelocatedChild(const std::wstring& folder, const char* role,
                      const std::wstring& working_directory, const std::wstring& path_prefix = L"");

}  // namespace zorvik::test
