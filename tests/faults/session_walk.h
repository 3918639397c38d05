// A whole session as a host drives it, step by step: open, lock,
// capabilities, parameters, gamma, lamp, a scan (start, read, stop), reset,
// buttons, unlock and close. Each step names the toolkit calls it makes, so
// the fault sweep can make each of them fail in turn.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "fault_table.h"
#include "zorvik_object.h"

namespace zorvik::test {

class SessionWalk;

struct SessionStep {
  StepCalls calls;
  // Runs the host call; returns its result and sets its error code.
  std::function<HRESULT(SessionWalk&, DWORD* error)> run;
};

// The steps of a whole session, in order.
const std::vector<SessionStep>& SessionSteps();
// Their toolkit calls only, for GenerateFaultRows.
std::vector<StepCalls> SessionStepCalls();

// What a walk saw.
struct WalkOutcome {
  int failing_step = -1;  // -1: every step succeeded
  HRESULT result = S_OK;  // of the failing step
  DWORD error = 0;        // of the failing step
  // The close that ends the session after a step failed (S_OK and 0 when the
  // session never opened or the failing step was the close itself).
  HRESULT teardown_result = S_OK;
  DWORD teardown_error = 0;
  // Whether the open handed out a handle; after the session ended, that
  // handle must be refused (error code 1).
  bool had_handle = false;
  DWORD stale_handle_error = 0;
};

// Walks one session on the device at `device_path` until a step fails, then
// ends the session as a host would (unlock, close).
class SessionWalk {
 public:
  SessionWalk(::zorvik::zorvik& scanner, std::wstring device_path)
      : scanner_(scanner), device_path_(std::move(device_path)) {}

  WalkOutcome Run();

  ::zorvik::zorvik& scanner() { return scanner_; }
  std::wstring& device_path() { return device_path_; }
  DWORD handle = 0;

 private:
  ::zorvik::zorvik& scanner_;
  std::wstring device_path_;
};

}  // namespace zorvik::test
