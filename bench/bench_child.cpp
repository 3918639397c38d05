// Starting the benchmark program's children, lining them up, and passing
// each child's figure back through a small file.
#include "bench_child.h"

#include <cstdio>
#include <memory>

#include "child_argument.h"
#include "child_process.h"
#include "test_paths.h"
#include "unique_resource.h"

namespace zorvik::bench {
namespace {

constexpr DWORD kLineUpTimeoutMs = 60000;

// The named objects one group of children lines up with: each child
// releases one unit of "ready" when set up, then waits for "go".
std::string ReadyName(const std::string& tag) { return "zorvik-bench-ready-" + tag; }
std::string GoName(const std::string& tag) { return "zorvik-bench-go-" + tag; }

bool WriteFigure(const std::string& path, double figure) {
  FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  std::fprintf(file, "%.12g\n", figure);
  return std::fclose(file) == 0;
}

double ReadFigure(const std::string& path) {
  double figure = -1.0;
  if (FILE* file = std::fopen(path.c_str(), "r")) {
    if (std::fscanf(file, "%lf", &figure) != 1) figure = -1.0;
    std::fclose(file);
  }
  std::remove(path.c_str());
  return figure;
}

// One child of a group: `role` sets up, lines up with the others, measures,
// and its figure goes to the group's file for it.
int RunInGroup(const BenchRole& role, const std::wstring& packed) {
  const std::optional<ChildArgument> argument = UnpackChildArgument(packed);
  if (!argument) return 1;
  const std::string& tag = argument->tag;
  const auto start = [&tag] {
    UniqueHandle ready(OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, ReadyName(tag).c_str()));
    UniqueHandle go(OpenEventA(SYNCHRONIZE, FALSE, GoName(tag).c_str()));
    if (ready) ReleaseSemaphore(ready.get(), 1, nullptr);
    if (go) WaitForSingleObject(go.get(), kLineUpTimeoutMs);
  };
  const double figure = role(argument->args, start);
  return figure >= 0 && WriteFigure(argument->result_path, figure) ? 0 : 1;
}

}  // namespace

bool RegisterBenchRole(const char* name, BenchRole role) {
  return test::RegisterChildRole(name, [role = std::move(role)](const std::wstring& argument) {
    return RunInGroup(role, argument);
  });
}

bool RunBenchRoleIfAsked(int argc, char** argv, int* exit_code) {
  return test::RunChildRoleIfAsked(argc, argv, exit_code);
}

std::vector<double> RunChildrenTogether(const char* role, int count,
                                        const std::function<std::vector<std::string>(int)>& args_of,
                                        DWORD timeout_ms) {
  static int group = 0;
  const std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++group);
  UniqueHandle ready(CreateSemaphoreA(nullptr, 0, count, ReadyName(tag).c_str()));
  UniqueHandle go(CreateEventA(nullptr, TRUE, FALSE, GoName(tag).c_str()));
  std::vector<double> figures(count, -1.0);
  if (!ready || !go) return figures;

  std::vector<std::string> result_paths;
  std::vector<std::unique_ptr<test::ChildProcess>> children;
  for (int i = 0; i < count; ++i) {
    result_paths.push_back(test::TempFolder() + "zorvik-bench-" + tag + "-" + std::to_string(i) +
                           ".txt");
    children.push_back(std::make_unique<test::ChildProcess>(
        role, PackChildArgument({tag, result_paths.back(), args_of(i)})));
  }
  // Every child that started must be set up before any of them is timed.
  int lined_up = 0;
  for (const auto& child : children)
    if (child->started() && WaitForSingleObject(ready.get(), kLineUpTimeoutMs) == WAIT_OBJECT_0)
      ++lined_up;
  SetEvent(go.get());
  for (int i = 0; i < count; ++i)
    if (children[i]->Wait(timeout_ms) == 0) figures[i] = ReadFigure(result_paths[i]);
  if (lined_up != count) std::fprintf(stderr, "zorvik_bench: %s: a child did not start\n", role);
  return figures;
}

}  // namespace zorvik::bench
