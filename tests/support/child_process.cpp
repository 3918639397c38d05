#include "child_process.h"

#include <shellapi.h>

#include <cstring>
#include <map>
#include <string>

#include "test_text.h"

namespace zorvik::test {

namespace {

std::map<std::string, ChildRole>& Roles() {
  static std::map<std::string, ChildRole> roles;
  return roles;
}

constexpr char kRolePrefix[] = "--child=";

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

}  // namespace

bool RegisterChildRole(const char* name, ChildRole role) {
  Roles()[name] = std::move(role);
  return true;
}

bool RunChildRoleIfAsked(int argc, char** argv, int* exit_code) {
  if (argc < 2 || std::strncmp(argv[1], kRolePrefix, sizeof(kRolePrefix) - 1) != 0) return false;
  const std::string name = argv[1] + sizeof(kRolePrefix) - 1;
  // The argument is taken from the wide command line so that paths survive.
  int wide_argc = 0;
  LPWSTR* wide_argv = CommandLineToArgvW(GetCommandLineW(), &wide_argc);
  const std::wstring argument = (wide_argv && wide_argc > 2) ? wide_argv[2] : L"";
  LocalFree(wide_argv);
  auto role = Roles().find(name);
  *exit_code = role == Roles().end() ? 125 : role->second(argument);
  return true;
}

ChildProcess::ChildProcess(const char* role, const std::wstring& argument)
    : StartedProcess(L"\"" + OwnPath() + L"\" " + Widen(kRolePrefix) + Widen(role) + L" \"" +
                     argument + L"\"") {}

int RunChild(const char* role, const std::wstring& argument, DWORD timeout_ms) {
  ChildProcess child(role, argument);
  return child.Wait(timeout_ms);
}

}  // namespace zorvik::test
