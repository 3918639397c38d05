// Scenarios that need fresh process-wide state (settings read once per
// process, named kernel objects, a second process) run in a child: the test
// executable starts itself again with a role argument.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "started_process.h"

namespace zorvik::test {

using ChildRole = std::function<int(const std::wstring& argument)>;

// Registers a role that the test executable runs instead of its tests when it
// is started with "--child=<name> <argument>".
bool RegisterChildRole(const char* name, ChildRole role);

#define ZORVIK_CHILD_ROLE(name)                                   \
  static int ChildRole_##name(const std::wstring& argument);      \
  static const bool kChildRoleRegistered_##name =                 \
      ::zorvik::test::RegisterChildRole(#name, ChildRole_##name); \
  static int ChildRole_##name([[maybe_unused]] const std::wstring& argument)

// Runs the role named in the command line, if any. Returns true (and the
// role's exit code) when this process is a child.
bool RunChildRoleIfAsked(int argc, char** argv, int* exit_code);

// A child process of the test executable running `role`, killed on
// destruction if it is still running so that a failed test never leaves one
// behind.
class ChildProcess : public StartedProcess {
 public:
  explicit ChildProcess(const char* role, const std::wstring& argument = L"");
};

// Starts a child, waits for it and returns its exit code (-1 on time-out).
int RunChild(const char* role, const std::wstring& argument = L"", DWORD timeout_ms = 60000);

}  // namespace zorvik::test
