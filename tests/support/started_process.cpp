#include "started_process.h"

namespace zorvik::test {

StartedProcess::StartedProcess(std::wstring command_line, const ProcessOptions& options) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  const bool redirected = options.output != nullptr || options.errors != nullptr;
  if (redirected) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = options.output;
    startup.hStdError = options.errors != nullptr ? options.errors : options.output;
  }
  PROCESS_INFORMATION info{};
  if (CreateProcessW(options.application, command_line.data(), nullptr, nullptr, redirected, 0,
                     nullptr, options.working_directory, &startup, &info)) {
    process_.reset(info.hProcess);
    const UniqueHandle thread(info.hThread);
    id_ = info.dwProcessId;
  }
}

StartedProcess::~StartedProcess() {
  if (Running()) Kill();
}

bool StartedProcess::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

int StartedProcess::Wait(DWORD timeout_ms) {
  if (!process_) return -1;
  if (WaitForSingleObject(process_.get(), timeout_ms) != WAIT_OBJECT_0) {
    Kill();
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return static_cast<int>(code);
}

void StartedProcess::Kill() {
  if (!process_) return;
  // Read back as -1, like a process that timed out.
  TerminateProcess(process_.get(), 0xFFFFFFFF);
  WaitForSingleObject(process_.get(), 10000);
}

}  // namespace zorvik::test
