#include "child_process.h"
#include "test_text.h"

#include <shellapi.h>

#include <cstring>
#include <map>
#include <string>

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

ChildProcess::ChildProcess(const char* role, const std::wstring& argument) {
  std::wstring command = L"\"" + OwnPath() + L"\" " + Widen(kRolePrefix) + Widen(role);
  command += L" \"" + argument + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info)) {
    process_.reset(info.hProcess);
    CloseHandle(info.hThread);
    id_ = info.dwProcessId;
  }
}

ChildProcess::~ChildProcess() {
  if (process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) Kill();
}

int ChildProcess::Wait(DWORD timeout_ms) {
  if (!process_.valid()) return -1;
  if (WaitForSingleObject(process_.get(), timeout_ms) != WAIT_OBJECT_0) {
    Kill();
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return static_cast<int>(code);
}

void ChildProcess::Kill() {
  if (!process_.valid()) return;
  TerminateProcess(process_.get(), 99);
  WaitForSingleObject(process_.get(), 10000);
}

int RunChild(const char* role, const std::wstring& argument, DWORD timeout_ms) {
  ChildProcess child(role, argument);
  return child.Wait(timeout_ms);
}

}  // namespace zorvik::test
