// CLogger: the object through which every line of the diagnostic log is
// written.  Code that logs constructs one on its stack with the function
// attribute of its lines; the logger asks the settings once whether such
// lines are wanted and afterwards answers with one flag test.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string_view>
#include <vector>

#include "log_bits.h"
#include "log_settings.h"
#include "log_sink.h"

namespace zorvik {

class CLogger {
 public:
  explicit CLogger(uint32_t function_attribute);
  // Writes every stream handed out and not yet written, then lets the sink go.
  virtual ~CLogger();
  CLogger(const CLogger&) = delete;
  CLogger& operator=(const CLogger&) = delete;

  bool IsEnabled() const { return enabled_ != 0; }

  // A new text stream for one multi-line text, or null when the logger is
  // disabled or no memory is left.  Whoever fills it ends the text with one
  // '\0' (`*stream << '\0'` or std::ends) and passes it to Write.
  std::ostringstream* GetStream();

  // Sends the stream's text, up to its terminating zero, as one unit to each
  // destination (file, debugger, sink), then frees the stream.  A null stream,
  // or one this logger does not hold (already written), is ignored, so a
  // stream is never sent or freed twice.
  void Write(std::ostringstream* stream);

  // One line, indented by the trace depth, written at once.
  void WriteLine(const char* text);

  // One line formatted by wvsprintfA rules (%s, %d, %lx ...; at most 1024
  // characters), indented by the trace depth.
  void WriteFormatted(const char* format, ...);

 private:
  void SendStream(std::unique_ptr<std::ostringstream> stream);
  void Send(std::string_view text_with_zero);
  const char* FilePath();

  CLogSettings* settings_;
  uint32_t destination_ = 0;
  uint32_t function_attribute_;
  uint32_t enabled_ = 0;
  std::unique_ptr<std::vector<std::unique_ptr<std::ostringstream>>> pending_;
  Microsoft::WRL::ComPtr<ILogSink> sink_;
  // Resolved on the first append to the file, so that a logger that never
  // writes to the file never asks for the temporary directory.
  bool file_path_resolved_ = false;
  char file_path_[MAX_PATH];
};

}  // namespace zorvik
