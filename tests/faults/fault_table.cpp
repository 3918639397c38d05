// Generates the rows of the fault sweep from the session's steps and the
// status classes.
#include "fault_table.h"

#include <map>

#include "driver_error.h"

namespace zorvik::test {

namespace {

// The status a row scripts: the class's members in turn, one per use.
uint8_t NextStatusOf(const StatusClass& status_class, std::map<const char*, size_t>& uses,
                     size_t pass) {
  const size_t use = uses[status_class.name]++ + pass;
  return status_class.statuses[use % status_class.statuses.size()];
}

std::string FaultLine(const ToolkitCall& call, uint8_t status, uint32_t from) {
  const std::string head =
      std::string("fail = ") + call.entry_point + " status " + std::to_string(status);
  switch (call.form) {
    case FaultForm::kReadStatusByte:
      return head + " after " + std::to_string(call.image_offset) + " status_byte 1";
    case FaultForm::kReadFailsPartWay:
      // A few bytes into the step's own read, so part of it is delivered.
      return head + " after " + std::to_string(call.image_offset + 5);
    case FaultForm::kReturnsZero:
      break;
  }
  // A call whose result is ignored fails every time: nothing may come of it.
  if (call.outcome == FailureOutcome::kResultIgnored) return head;
  return head + " from " + std::to_string(from) + " times " +
         std::to_string(call.calls_when_failing);
}

const char* FormName(FaultForm form) {
  switch (form) {
    case FaultForm::kReadStatusByte:
      return " (status byte)";
    case FaultForm::kReadFailsPartWay:
      return " (part way)";
    case FaultForm::kReturnsZero:
      break;
  }
  return "";
}

}  // namespace

const std::vector<StatusClass>& StatusClasses() {
  static const std::vector<StatusClass> kClasses = {
      {"no reason", {0}, kErrNoError},
      {"not found", {1, 2}, kErrScannerNotFound},
      {"communication",
       {3, 8, 123, 150, 152, 154, 155, 156, 157, 158, 159, 163, 164, 174},
       kErrCommunicationFailure},
      {"calibration", {7}, kErrCalibrationFailed},
      {"carriage", {176, 177, 179}, kErrCarriageNotHome},
      {"lamp off", {178}, kErrLampOff},
      {"other",
       {4, 5, 6, 9, 100, 122, 124, 149, 151, 153, 160, 162, 165, 173, 175, 180, 255},
       kErrInvalidParameter},
      {"status unreadable", {3}, kErrUnknownToolkitError, true},
  };
  return kClasses;
}

std::vector<FaultRow> GenerateFaultRows(const std::vector<StepCalls>& steps,
                                        bool one_class_per_call, size_t pass) {
  const std::vector<StatusClass>& classes = StatusClasses();
  std::vector<FaultRow> rows;
  std::map<std::string, uint32_t> calls_so_far;
  std::map<const char*, size_t> status_uses;
  size_t call_index = 0;
  for (size_t step = 0; step < steps.size(); ++step) {
    for (const ToolkitCall& call : steps[step].calls) {
      uint32_t& made = calls_so_far[call.entry_point];
      const uint32_t from = made + 1;
      if (call.form == FaultForm::kReturnsZero) made += call.calls_on_success;
      for (size_t c = 0; c < classes.size(); ++c) {
        if (one_class_per_call && c != call_index % classes.size()) continue;
        const StatusClass& status_class = classes[c];
        FaultRow row;
        row.entry_point = call.entry_point;
        row.status_class = status_class.name;
        row.status = NextStatusOf(status_class, status_uses, pass);
        row.name = steps[step].point;
        row.name.append("/").append(steps[step].operation).append("/");
        row.name.append(call.entry_point).append(FormName(call.form));
        if (from > 1 && call.form == FaultForm::kReturnsZero)
          row.name.append("#").append(std::to_string(from));
        row.name.append("/").append(status_class.name);
        row.script = FaultLine(call, row.status, from) + "\n";
        if (status_class.unreadable) row.script += "fail = GetScannerStatus status 3\n";
        switch (call.outcome) {
          case FailureOutcome::kMappedStatus:
            row.failing_step = static_cast<int>(step);
            row.error_code = status_class.error_code;
            break;
          case FailureOutcome::kUnknownError:
            row.failing_step = static_cast<int>(step);
            row.error_code = kErrUnknownToolkitError;
            break;
          case FailureOutcome::kResultIgnored:
            row.failing_step = -1;
            row.error_code = kErrNoError;
            break;
        }
        rows.push_back(std::move(row));
      }
      ++call_index;
    }
  }
  return rows;
}

}  // namespace zorvik::test
