// ToolkitStep: the process-wide guard under which every toolkit request is
// made together with its device selection.
//
// The toolkit keeps one device selection for the whole process: a request
// goes to whichever device SetIOHandle selected last, on any thread. A
// selection and the request it is for must therefore never be split by
// another thread's selection, and no two requests may run at once. The guard
// is re-entrant, so a step may hold it across several requests (a failed
// request and the status question that follows it, a scan's programming, a
// device's ending) and across the session data those requests send.
#pragma once

namespace zorvik {

class ToolkitStep {
 public:
  ToolkitStep() noexcept;
  ~ToolkitStep();
  ToolkitStep(const ToolkitStep&) = delete;
  ToolkitStep& operator=(const ToolkitStep&) = delete;
};

}  // namespace zorvik
