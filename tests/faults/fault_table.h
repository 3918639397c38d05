// The fault sweep as data: the classes of toolkit error status (one per
// driver error code the status map can give, plus a status the toolkit cannot
// report), the toolkit calls each step of a whole session makes, and the rows
// generated from the two, each naming the device script that makes one call
// fail and the outcome the session must show for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvik::test {

// Statuses that the component maps to one driver error code. A class whose
// `unreadable` is set is the toolkit failing to report any status at all.
struct StatusClass {
  const char* name;
  std::vector<uint8_t> statuses;
  uint32_t error_code;
  bool unreadable = false;
};

// Every class of the toolkit status map, and the unreadable status.
const std::vector<StatusClass>& StatusClasses();

// How a failure of one toolkit call shows to the host.
enum class FailureOutcome {
  kMappedStatus,   // the step fails with the mapped status
  kUnknownError,   // the step fails with Unknown Toolkit Error, whatever the status
  kResultIgnored,  // the component does not look at the result: nothing fails
};

// How the device script makes the call fail.
enum class FaultForm {
  kReturnsZero,       // the call returns 0
  kReadStatusByte,    // ReadScan succeeds but leaves its status byte set
  kReadFailsPartWay,  // ReadScan delivers part of the bytes, then fails
};

// One toolkit entry point as one session step calls it.
struct ToolkitCall {
  const char* entry_point;
  FailureOutcome outcome = FailureOutcome::kMappedStatus;
  FaultForm form = FaultForm::kReturnsZero;
  // Calls the step makes when the entry point succeeds, and when it keeps
  // failing (InitializeScanner is asked up to ten times).
  uint32_t calls_on_success = 1;
  uint32_t calls_when_failing = 1;
  // For the ReadScan forms: the image bytes read in this scan before the step.
  uint32_t image_offset = 0;
};

// One step of a whole session, as far as the toolkit sees it.
struct StepCalls {
  const char* point;      // the session point, e.g. "scan start"
  const char* operation;  // the host's call, e.g. "StartScan"
  std::vector<ToolkitCall> calls;
};

// One case of the sweep.
struct FaultRow {
  std::string name;    // "<point>/<operation>/<entry point>/<class>"
  std::string script;  // device-file lines that script the fault
  const char* entry_point;
  const char* status_class;
  uint8_t status;
  // The step that must fail, or -1 when the whole session must succeed.
  int failing_step;
  uint32_t error_code;
};

// Rows for every toolkit call of every step, failing with every class; the
// class's statuses are taken in turn so that each member shows up. With
// `one_class_per_call`, each call gets one class only, the classes rotating
// over the calls, so every call and every class still appear once at least.
// Each `pass` starts one member further into every class.
std::vector<FaultRow> GenerateFaultRows(const std::vector<StepCalls>& steps,
                                        bool one_class_per_call, size_t pass = 0);

}  // namespace zorvik::test
