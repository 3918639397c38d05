// The log writer: text streams, the three destinations, and plain lines.
#include "logger.h"

#include <cstdarg>
#include <cstring>

#include "log_file_append.h"
#include "trace_depth.h"

namespace zorvik {

namespace {

constexpr char kDefaultLogFileName[] = ZORVIK_DEFAULT_LOG_FILE_NAME;

// Logging must not disturb the caller's last error: a method may log between
// a failing call and the GetLastError that explains it.
class PreservedLastError {
 public:
  PreservedLastError() : error_(GetLastError()) {}
  ~PreservedLastError() { SetLastError(error_); }
  PreservedLastError(const PreservedLastError&) = delete;
  PreservedLastError& operator=(const PreservedLastError&) = delete;

 private:
  DWORD error_;
};

}  // namespace

CLogger::CLogger(uint32_t function_attribute)
    : settings_(CLogSettings::Instance(GUID_NULL)), function_attribute_(function_attribute) {
  if (settings_ == nullptr || !settings_->IsEnabledFor(function_attribute)) return;
  PreservedLastError preserved;
  destination_ = settings_->log_destination();
  enabled_ = 1;
  if (destination_ & LOG_DEST_SINK) sink_ = settings_->GetSink();
}

CLogger::~CLogger() {
  if (!pending_) return;
  auto streams = std::move(*pending_);
  pending_.reset();
  for (auto& stream : streams) SendStream(std::move(stream));
}

std::ostringstream* CLogger::GetStream() {
  if (!enabled_) return nullptr;
  try {
    if (!pending_) pending_ = std::make_unique<std::vector<std::unique_ptr<std::ostringstream>>>();
    pending_->push_back(std::make_unique<std::ostringstream>());
    return pending_->back().get();
  } catch (...) {
    return nullptr;
  }
}

void CLogger::Write(std::ostringstream* stream) {
  if (stream == nullptr || !pending_) return;
  for (auto it = pending_->begin(); it != pending_->end(); ++it) {
    if (it->get() == stream) {
      std::unique_ptr<std::ostringstream> owned = std::move(*it);
      pending_->erase(it);
      SendStream(std::move(owned));
      return;
    }
  }
}

void CLogger::SendStream(std::unique_ptr<std::ostringstream> stream) {
  std::string_view text = stream->view();
  if (text.find('\0') == std::string_view::npos) {
    *stream << '\0';  // a text left open is closed here
    text = stream->view();
  }
  Send(text.substr(0, text.find('\0') + 1));
}

void CLogger::Send(std::string_view text_with_zero) {
  PreservedLastError preserved;
  const std::string_view text = text_with_zero.substr(0, text_with_zero.size() - 1);
  try {
    if (destination_ & LOG_DEST_FILE) AppendToLogFile(FilePath(), text);
  } catch (...) {
    // No memory for the converted text: the file misses this one.
  }
  if (destination_ & LOG_DEST_DEBUGGER) OutputDebugStringA(text_with_zero.data());
  if ((destination_ & LOG_DEST_SINK) && sink_) {
    sink_->WriteLog(GetCurrentProcessId(), text_with_zero.data(),
                    static_cast<DWORD>(text_with_zero.size()));
  }
}

const char* CLogger::FilePath() {
  if (file_path_resolved_) return file_path_;
  file_path_resolved_ = true;
  file_path_[0] = '\0';
  const char* configured = settings_->log_file();
  if (configured[0] != '\0') {
    std::strncpy(file_path_, configured, MAX_PATH - 1);
    file_path_[MAX_PATH - 1] = '\0';
    return file_path_;
  }
  const DWORD length = GetTempPathA(MAX_PATH, file_path_);
  // A temporary directory too long for the file name leaves no file path.
  if (length == 0 || length + sizeof(kDefaultLogFileName) > MAX_PATH) {
    file_path_[0] = '\0';
    return file_path_;
  }
  std::memcpy(file_path_ + length, kDefaultLogFileName, sizeof(kDefaultLogFileName));
  return file_path_;
}

void CLogger::WriteLine(const char* text) {
  if (!enabled_) return;
  std::ostringstream* stream = GetStream();
  if (stream == nullptr) return;
  WriteIndent(*stream, CurrentTraceDepth());
  *stream << (text != nullptr ? text : "") << '\n' << '\0';
  Write(stream);
}

void CLogger::WriteFormatted(const char* format, ...) {
  if (!enabled_ || format == nullptr) return;
  std::ostringstream* stream = GetStream();
  if (stream == nullptr) return;
  // wvsprintfA never writes more than 1024 bytes; the rest is headroom.
  char formatted[4096];
  va_list arguments;
  va_start(arguments, format);
  wvsprintfA(formatted, format, arguments);
  va_end(arguments);
  WriteIndent(*stream, CurrentTraceDepth());
  *stream << formatted << '\n' << '\0';
  Write(stream);
}

}  // namespace zorvik
