// Second processes of the benchmark program: it starts itself again in a
// role (the tests' child roles, child_process.h), lets a group of such
// children set up, starts their timed parts together, and collects the one
// figure each of them measures.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace zorvik::bench {

// What a role does in the child. `args` are the role's own arguments;
// `start` must be called once the untimed set-up is done and returns when
// the whole group may begin. Returns the figure, negative on failure.
using BenchRole =
    std::function<double(const std::vector<std::string>& args, const std::function<void()>& start)>;

// Runs the role named on the command line, if any, and stores its exit code.
// False when this process is not a child.
bool RunBenchRoleIfAsked(int argc, char** argv, int* exit_code);

// Registers a role under `name`, before main runs.
bool RegisterBenchRole(const char* name, BenchRole role);

// Starts `count` children of role `role` (child i gets `args_of(i)`, which
// must hold neither '|' nor '"'), starts their timed parts at the same moment
// and waits at most `timeout_ms` for all. The figures in child order; a child
// that failed or timed out gives -1.
std::vector<double> RunChildrenTogether(const char* role, int count,
                                        const std::function<std::vector<std::string>(int)>& args_of,
                                        DWORD timeout_ms);

}  // namespace zorvik::bench
