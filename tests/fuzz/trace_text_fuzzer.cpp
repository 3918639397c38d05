// Fuzzes the call trace's entry and exit texts with arbitrary labels,
// handles, results, error codes and clock values: each text must be one
// complete text ending in its zero character, carry its label after the
// indentation of its depth, and name the error code as the error table does.
// Input: the numeric fields, then the label's bytes.
#include <cstdint>
#include <ctime>
#include <sstream>
#include <string>

#include "driver_error.h"
#include "fuzz_input.h"
#include "trace_depth.h"
#include "trace_text.h"

using namespace zorvik;

namespace {

struct Numbers {
  uint32_t session;
  int8_t depth;  // traces nest a handful deep; the sign is exercised too
  uint8_t flags;
  uint32_t process_id;
  uint32_t thread_id;
  int32_t result;
  uint32_t error_code;
  uint32_t elapsed_ms;
  int32_t time_fields[9];
};

std::string Indent(int32_t depth) {
  std::string text;
  for (int32_t i = 0; i < depth; ++i) text += kTraceIndent;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const Numbers n = input.Take<Numbers>();
  const size_t label_start = sizeof(Numbers) < size ? sizeof(Numbers) : size;
  std::string label(reinterpret_cast<const char*>(data) + label_start, size - label_start);
  label = label.substr(0, label.find('\0'));

  std::tm time{};
  time.tm_sec = n.time_fields[0];
  time.tm_min = n.time_fields[1];
  time.tm_hour = n.time_fields[2];
  time.tm_mday = n.time_fields[3];
  time.tm_mon = n.time_fields[4];
  time.tm_year = n.time_fields[5];
  time.tm_wday = n.time_fields[6];
  time.tm_yday = n.time_fields[7];
  time.tm_isdst = n.time_fields[8];

  const TraceEntryText entry{label.c_str(), n.session,          n.depth,     (n.flags & 1) != 0,
                             n.process_id,  (n.flags & 2) != 0, n.thread_id, time};
  std::ostringstream entry_out;
  WriteTraceEntry(entry_out, entry);
  const std::string entry_text = entry_out.str();
  fuzz::Require(!entry_text.empty() && entry_text.back() == '\0', "entry text ends");
  fuzz::Require(
      entry_text.find("\n" + Indent(n.depth) + "+++" + label + " : ") != std::string::npos,
      "entry label after its indentation");

  const TraceExitText exit{label.c_str(),      n.depth,      n.result,
                           (n.flags & 4) != 0, n.error_code, n.elapsed_ms};
  std::ostringstream exit_out;
  WriteTraceExit(exit_out, exit);
  const std::string exit_text = exit_out.str();
  fuzz::Require(!exit_text.empty() && exit_text.back() == '\0', "exit text ends");
  fuzz::Require(exit_text.rfind(Indent(n.depth) + "---" + label, 0) == 0, "exit label first");
  if (exit.has_error_code) {
    fuzz::Require(exit_text.find(std::string(", LarkspurError=") + DriverErrorName(n.error_code) +
                                 " (") != std::string::npos,
                  "exit names the error code");
  }
  fuzz::Require(exit_text.find(": Elapsed Time = " + std::to_string(n.elapsed_ms) + " MS\n\n") !=
                    std::string::npos,
                "exit elapsed time in decimal");
  return 0;
}
