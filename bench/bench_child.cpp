// Starting the benchmark program's children, lining them up, and passing
// each child's figure back through a small file.
#include "bench_child.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "test_paths.h"
#include "test_text.h"

namespace zorvik::bench {
namespace {

using test::Widen;

constexpr char kRolePrefix[] = "--role=";
constexpr DWORD kLineUpTimeoutMs = 60000;

std::map<std::string, BenchRole>& Roles() {
  static std::map<std::string, BenchRole> roles;
  return roles;
}

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

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

}  // namespace

bool RegisterBenchRole(const char* name, BenchRole role) {
  Roles()[name] = std::move(role);
  return true;
}

bool RunBenchRoleIfAsked(int argc, char** argv, int* exit_code) {
  if (argc < 4 || std::strncmp(argv[1], kRolePrefix, sizeof(kRolePrefix) - 1) != 0) return false;
  const auto role = Roles().find(argv[1] + sizeof(kRolePrefix) - 1);
  if (role == Roles().end()) {
    *exit_code = 125;
    return true;
  }
  const std::string tag = argv[2], result_path = argv[3];
  const std::vector<std::string> args(argv + 4, argv + argc);
  const auto start = [&tag] {
    UniqueHandle ready(OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, ReadyName(tag).c_str()));
    UniqueHandle go(OpenEventA(SYNCHRONIZE, FALSE, GoName(tag).c_str()));
    if (ready) ReleaseSemaphore(ready.get(), 1, nullptr);
    if (go) WaitForSingleObject(go.get(), kLineUpTimeoutMs);
  };
  const double figure = role->second(args, start);
  *exit_code = figure >= 0 && WriteFigure(result_path, figure) ? 0 : 1;
  return true;
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
  std::vector<std::unique_ptr<StartedProcess>> children;
  for (int i = 0; i < count; ++i) {
    result_paths.push_back(test::TempFolder() + "zorvik-bench-" + tag + "-" + std::to_string(i) +
                           ".txt");
    std::wstring command = L"\"" + OwnPath() + L"\" " + Widen(kRolePrefix) + Widen(role) + L" " +
                           Widen(tag) + L" \"" + Widen(result_paths.back()) + L"\"";
    for (const std::string& arg : args_of(i)) command += L" \"" + Widen(arg) + L"\"";
    children.push_back(std::make_unique<StartedProcess>(std::move(command)));
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
